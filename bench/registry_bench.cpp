// The Linux registry store: listing every value and every subkey of one large key by index (as
// RegEnumValue / RegEnumKeyEx callers do), and opening the store with its integrity check.
#include "platform/RegistryApi.h"
#include "platform/RegistryConstants.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace vellumo;

constexpr const char* kKey = "Software\\Kestrova\\Bench";

// A private store for the whole program, removed at exit.
class BenchStore {
public:
    BenchStore() {
        std::string pattern = (fs::temp_directory_path() / "vellumo-regbench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            folder_ = pattern;
        setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    }
    ~BenchStore() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    BenchStore(const BenchStore&) = delete;
    BenchStore& operator=(const BenchStore&) = delete;

private:
    fs::path folder_;
};

BenchStore& Store() {
    static BenchStore store;
    return store;
}

// A key (`name` below kKey) with `values` values and `subkeys` subkeys, made once.
regapi::RegKey Filled(const std::string& name, int values, int subkeys) {
    (void)Store();
    regapi::RegKey key = 0;
    if (regapi::OpenKey(HKEY_CURRENT_USER, std::string(kKey) + "\\" + name, regapi::KEY_ALL_ACCESS,
                        key) == regapi::kSuccess)
        return key;
    (void)regapi::CreateKey(HKEY_CURRENT_USER, std::string(kKey) + "\\" + name,
                            regapi::KEY_ALL_ACCESS, key);
    const std::string data(32, 'd');
    for (int i = 0; i < values; ++i)
        (void)regapi::SetValue(key, "Value" + std::to_string(i), REG_SZ,
                               reinterpret_cast<const uint8_t*>(data.data()),
                               static_cast<uint32_t>(data.size()));
    for (int i = 0; i < subkeys; ++i) {
        regapi::RegKey sub = 0;
        (void)regapi::CreateKey(key, "Key" + std::to_string(i), regapi::KEY_ALL_ACCESS, sub);
        (void)regapi::CloseKey(sub);
    }
    return key;
}

void BM_EnumerateValues(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const regapi::RegKey key = Filled("Values" + std::to_string(count), count, 0);
    for (auto _ : state) {
        int listed = 0;
        for (uint32_t index = 0;; ++index) {
            std::string name;
            uint32_t length = 256;
            if (regapi::EnumValue(key, index, name, length) != regapi::kSuccess)
                break;
            ++listed;
        }
        if (listed != count)
            state.SkipWithError("not every value was listed");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_EnumerateValues)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_EnumerateSubkeys(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const regapi::RegKey key = Filled("Keys" + std::to_string(count), 0, count);
    for (auto _ : state) {
        int listed = 0;
        for (uint32_t index = 0;; ++index) {
            std::string name;
            if (regapi::EnumKey(key, index, name, 256) != regapi::kSuccess)
                break;
            ++listed;
        }
        if (listed != count)
            state.SkipWithError("not every subkey was listed");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_EnumerateSubkeys)->Arg(20000)->Unit(benchmark::kMillisecond);

// Opening the store anew (path, validation, integrity check) and one read, for a store of the
// product's usual size and one holding 20,000 values more.
void BM_OpenAndRead(benchmark::State& state) {
    const int values = static_cast<int>(state.range(0));
    if (values > 0)
        (void)Filled("Open" + std::to_string(values), values, 0);
    else
        (void)Filled("Small", 40, 10);
    const char* base = std::getenv("XDG_CONFIG_HOME");
    const std::string store = base != nullptr ? base : "";
    const std::string other = store + "/other";
    for (auto _ : state) {
        // A read in another (missing) store closes the connection; the next call opens anew.
        setenv("XDG_CONFIG_HOME", other.c_str(), 1);
        regapi::RegKey key = 0;
        (void)regapi::OpenKey(HKEY_CURRENT_USER, kKey, regapi::KEY_READ, key);
        setenv("XDG_CONFIG_HOME", store.c_str(), 1);
        if (regapi::OpenKey(HKEY_CURRENT_USER, kKey, regapi::KEY_READ, key) != regapi::kSuccess)
            state.SkipWithError("the store did not open");
        (void)regapi::CloseKey(key);
    }
}
BENCHMARK(BM_OpenAndRead)->Arg(0)->Arg(20000)->Unit(benchmark::kMicrosecond);

} // namespace
