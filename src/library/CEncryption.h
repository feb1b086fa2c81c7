// CEncryption: the password cipher. A keystream derived from the password alone is XORed onto
// the data, so the same operation with the same password also deciphers (docs/cipher.md says
// what it protects against and what it does not).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vellumo {

// Errors: every operation catches its own failures, shows the error box titled with its name
// ("EncryptFile", "EncryptString"; "ReadFile" for a failed read of the input file) through
// ui::Ui() and returns normally: false from EncryptFile, the empty text from EncryptString.
// An empty password is refused with one box ("Error: 5. Invalid procedure call or argument")
// before any file is opened. A missing or unreadable input file fails before the output file
// is touched; after a failure part way the output file keeps the chunks written so far.
class CEncryption {
public:
    // The FileProgress event: the fraction of the file done, 0 to 1.
    using FileProgressHandler = std::function<void(float sngPercentage)>;

    // The file that EncryptFile reads; empty until set.
    [[nodiscard]] const std::string& InputFileName() const { return inputFileName_; }
    void SetInputFileName(std::string value) { inputFileName_ = std::move(value); }
    // The file that EncryptFile writes; empty until set.
    [[nodiscard]] const std::string& OutputFileName() const { return outputFileName_; }
    void SetOutputFileName(std::string value) { outputFileName_ = std::move(value); }
    // The password (UTF-8); the key is its UTF-16LE form. Empty until set.
    [[nodiscard]] const std::string& Password() const { return password_; }
    void SetPassword(std::string value) { password_ = std::move(value); }

    // Connects the FileProgress event (an empty handler disconnects it).
    void OnFileProgress(FileProgressHandler handler) { fileProgress_ = std::move(handler); }

    // Enciphers (or deciphers) the input file into the output file, which gets exactly as many
    // bytes. An existing regular output file is deleted first. The file is read in chunks of
    // 32767 bytes, the last chunk taking the whole remainder (up to 32768); FileProgress gets 0
    // before the first chunk and bytes done / length after each. True when the output is
    // complete.
    bool EncryptFile();

    // Enciphers (or deciphers) the UTF-16LE bytes of the text and returns the resulting bytes
    // as a text of the same length: a byte container, not readable text.
    [[nodiscard]] std::u16string EncryptString(const std::u16string& strIn);

private:
    std::string inputFileName_;
    std::string outputFileName_;
    std::string password_;
    FileProgressHandler fileProgress_;
};

} // namespace vellumo
