// Fuzzes the password cipher with any password and data: enciphering twice gives the data back,
// and the file and text operations give the same bytes for the same input.
//
// Input: byte 0 is the password's length in bytes (any bytes, not necessarily valid UTF-8),
// then the password, then the data.
#include "PrivateFolder.h"
#include "library/CEncryption.h"
#include "support/RecordingUi.h"

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace vellumo;

struct Fixture {
    std::string folder;
    ui::RecordingUi ui;
};
Fixture* gFixture = nullptr;

void RemoveFolder() {
    if (gFixture != nullptr) {
        std::error_code ec;
        fs::remove_all(gFixture->folder, ec);
    }
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The bytes as a text of UTF-16LE code units (an odd last byte is dropped).
std::u16string AsUnits(const std::string& bytes) {
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                              (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    return units;
}

std::string AsBytes(const std::u16string& units) {
    std::string bytes;
    for (char16_t u : units) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::setlocale(LC_ALL, "C.UTF-8");
    static Fixture fixture;
    const std::string pattern = vellumo::fuzz::MakePrivateFolder();
    fixture.folder = pattern + "/";
    gFixture = &fixture;
    std::atexit(RemoveFolder);
    ui::SetUi(&fixture.ui);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t passwordSize = std::min<size_t>(data[0], size - 1);
    const std::string password(reinterpret_cast<const char*>(data + 1), passwordSize);
    const std::string bytes(reinterpret_cast<const char*>(data + 1 + passwordSize),
                            size - 1 - passwordSize);
    gFixture->ui.boxes.clear();

    CEncryption cipher;
    cipher.SetPassword(password);
    const std::u16string text = AsUnits(bytes);
    const std::u16string enciphered = cipher.EncryptString(text);
    const bool refused = !gFixture->ui.boxes.empty();
    if (refused != password.empty())
        std::abort(); // only an empty password is refused
    if (refused)
        return 0;
    if (enciphered.size() != text.size() || cipher.EncryptString(enciphered) != text)
        std::abort();

    // The file operation: same length, same bytes as the text operation, and its own inverse.
    const std::string in = gFixture->folder + "in";
    const std::string out = gFixture->folder + "out";
    const std::string back = gFixture->folder + "back";
    WriteAll(in, bytes);
    cipher.SetInputFileName(in);
    cipher.SetOutputFileName(out);
    if (!cipher.EncryptFile())
        std::abort();
    const std::string fileBytes = ReadAll(out);
    if (fileBytes.size() != bytes.size())
        std::abort();
    if (fileBytes.substr(0, text.size() * 2) != AsBytes(enciphered))
        std::abort();
    cipher.SetInputFileName(out);
    cipher.SetOutputFileName(back);
    if (!cipher.EncryptFile() || ReadAll(back) != bytes || !gFixture->ui.boxes.empty())
        std::abort();
    return 0;
}
