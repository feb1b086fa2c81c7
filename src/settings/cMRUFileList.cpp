// The recent-files list: its array, menu captions, "mru.ini" and its registry form.
#include "settings/cMRUFileList.h"

#include "log/ReportError.h"
#include "log/modDebug.h"
#include "platform/CodePage.h"
#include "platform/PathSeparator.h"
#include "platform/RuntimeError.h"
#include "platform/Text.h"
#include "platform/UiService.h"
#include "platform/Utf8Char.h"
#include "platform/Variant.h"
#include "platform/cRegistry.h"
#include "platform/modFileA.h"
#include "settings/OptionFieldReader.h"
#include "settings/SequentialFile.h"
#include "settings/modOptions.h"
#include "state/PathSet.h"

#include <algorithm>
#include <optional>

namespace vellumo {
namespace {

constexpr std::string_view kClass = "cMRUFileList";
// Display paths longer than this many characters are shortened in menu captions.
constexpr size_t kMaxCaptionPath = 32;
constexpr std::string_view kEllipsis = "...";

// Byte offsets of the characters of a UTF-8 text (a malformed byte counts as one character).
std::vector<size_t> CharOffsets(std::string_view s) {
    std::vector<size_t> offsets;
    for (size_t i = 0; i < s.size(); i += Utf8CharSize(s, i))
        offsets.push_back(i);
    return offsets;
}

// The value name "File" + number ("File1", "File2" ...) when `name` is one, with no sign and no
// leading zero; 0 otherwise.
int64_t FileValueNumber(std::string_view name) {
    constexpr std::string_view kPrefix = "File";
    if (name.size() <= kPrefix.size() || !EqualsIgnoreCase(name.substr(0, kPrefix.size()), kPrefix))
        return 0;
    const std::string_view digits = name.substr(kPrefix.size());
    if (digits.size() > 10 || digits.front() == '0')
        return 0;
    int64_t n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace

void cMRUFileList::Resize(int32_t count) {
    if (count < 1)
        throw RuntimeError(err::kSubscriptOutOfRange);
    if (count > kMaxEntries)
        throw RuntimeError(err::kOutOfMemory);
    m_sFiles.resize(static_cast<size_t>(count) + 1);
}

std::string& cMRUFileList::At(int32_t iIndex) {
    if (iIndex < 1 || static_cast<size_t>(iIndex) >= m_sFiles.size())
        throw RuntimeError(err::kSubscriptOutOfRange);
    return m_sFiles[static_cast<size_t>(iIndex)];
}

const std::string& cMRUFileList::At(int32_t iIndex) const {
    if (iIndex < 1 || static_cast<size_t>(iIndex) >= m_sFiles.size())
        throw RuntimeError(err::kSubscriptOutOfRange);
    return m_sFiles[static_cast<size_t>(iIndex)];
}

void cMRUFileList::SetMaxFileCount(int32_t lMax) {
    DebugLog("Start Property Let MaxFileCount (cMRUFileList), lMax = " + std::to_string(lMax));
    if (lMax != m_lMaxCount) {
        Resize(lMax);
        DebugLog("ReDimed m_sFiles to " + std::to_string(lMax));
        m_lMaxCount = lMax;
    }
    DebugLog("End Property Let MaxFileCount (cMRUFileList), m_lMaxCount = " +
             std::to_string(m_lMaxCount));
}

std::string cMRUFileList::FILE(int32_t iIndex) const {
    return At(iIndex);
}

bool cMRUFileList::FileExists(int32_t iIndex) const {
    return !At(iIndex).empty();
}

std::string cMRUFileList::MenuCaption(int32_t iIndex) const {
    const std::string& s = At(iIndex);
    std::string display = s;
    const std::vector<size_t> offsets = CharOffsets(s);
    const size_t n = offsets.size();
    if (n > kMaxCaptionPath) {
        // Positions are 1-based character positions. A separator at p whose tail (from p to the
        // end) is at most 33 characters long is remembered as the fit; a separator with a longer
        // tail sets the display path from the fit (or from itself when there is none yet).
        std::optional<size_t> fit;
        for (size_t p = n; p >= 1; --p) {
            const char c = s[offsets[p - 1]];
            if (c != kPathSeparator && c != '\\')
                continue;
            if (n - p <= kMaxCaptionPath) {
                fit = p;
            } else {
                const size_t from = fit.value_or(p);
                display = std::string(kEllipsis) + s.substr(offsets[from - 1]);
            }
        }
    }
    return "&" + std::to_string(iIndex) + ")  " + display;
}

void cMRUFileList::AddFile(const std::string& sfileName) {
    if (!modFileA::FileExists(sfileName))
        return;
    int32_t k = 0;
    for (int32_t i = 1; i <= m_lFileCount; ++i) {
        if (EqualsIgnoreCase(At(i), sfileName)) {
            k = i;
            break;
        }
    }
    if (k == 0) {
        if (m_lFileCount < MaxFileCount())
            ++m_lFileCount;
        k = m_lFileCount;
    }
    for (int32_t i = k; i >= 2; --i)
        At(i) = At(i - 1);
    At(1) = sfileName;
}

bool cMRUFileList::Save(bool pblnUseRegistry, cRegistry& cR) {
    try {
        if (!pblnUseRegistry)
            return MRU_Save();
        cR.SetValueKey("MaxCount");
        cR.SetValueType(REG_DWORD);
        cR.SetValue(Variant{MaxFileCount()});
        cR.SetValueKey("Count");
        cR.SetValueType(REG_DWORD);
        cR.SetValue(Variant{m_lFileCount});
        for (int32_t i = 1; i <= m_lFileCount; ++i) {
            cR.SetValueKey("File" + std::to_string(i));
            cR.SetValueType(REG_SZ);
            cR.SetValue(Variant{At(i)});
            // An entry that reads back empty is kept as one space.
            if (VariantToText(cR.Value()).empty())
                cR.SetValue(Variant{std::string(" ")});
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool cMRUFileList::MRU_Save() {
    bool result = false;
    try {
        DebugLog("Start MRU_Save");
        const std::string path = modMain::ConfigPath + "mru.ini";
        std::string text = "MaxCount," + std::to_string(MaxFileCount()) + std::string(kCrLf);
        text += "Count," + std::to_string(m_lFileCount) + std::string(kCrLf);
        for (int32_t i = 1; i <= m_lFileCount; ++i)
            text += "File" + std::to_string(i) + "," + At(i) + std::string(kCrLf);
        settings::OutputFile out;
        out.Open(path);
        out.Write(ToAnsi(text + std::string(kCrLf)));
        out.Close();
        result = true;
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), std::string(kClass), "MRU_Save");
    }
    DebugLog("End MRU_Save");
    return result;
}

void cMRUFileList::MRU_Read() {
    int32_t step = 20;
    std::optional<settings::InputFile> input;
    try {
        DebugLog("Start MRU_Read");
        step = 50;
        const std::string lstrSaveFile = modMain::ConfigPath + "mru.ini";
        step = 60;
        DebugLog("MRU_Read, lstrSaveFile = " + lstrSaveFile);
        step = 90;
        if (!IsRootedPath(lstrSaveFile) || !FileExistsA(lstrSaveFile)) {
            step = 100;
            SetMaxFileCount(kDefaultMaxCount);
            step = 110;
            m_lFileCount = 0;
            step = 120;
            MRU_Save();
        } else {
            step = 150;
            step = 160;
            input.emplace(lstrSaveFile);
            settings::OptionFieldReader reader(*input);
            int32_t llngFile = 0;
            // The value after a MaxCount or Count key, logged; `readStep` and `logStep` are the
            // steps of the two.
            const auto readCountValue = [&](int32_t readStep, int32_t logStep) {
                step = readStep;
                const std::string strTempInput = FromAnsi(reader.ReadField());
                step = logStep;
                DebugLog("strTempInput = " + strTempInput);
                return strTempInput;
            };
            for (;;) {
                step = 170;
                if (reader.AtEnd())
                    break;
                step = 180;
                const std::string strGet = FromAnsi(reader.ReadField());
                step = 190;
                DebugLog("strGet = " + strGet);
                step = 220;
                if (strGet == "MaxCount") {
                    const std::string strTempInput = readCountValue(230, 240);
                    step = 270;
                    SetMaxFileCount(TextToLong(strTempInput));
                    continue;
                }
                step = 280;
                if (strGet == "Count") {
                    const std::string strTempInput = readCountValue(290, 300);
                    step = 330;
                    m_lFileCount = TextToLong(strTempInput);
                    step = 340;
                    DebugLog("m_lFileCount = " + std::to_string(m_lFileCount));
                    continue;
                }
                step = 380;
                if (strGet.empty())
                    break;
                step = 390;
                if (llngFile == INT32_MAX)
                    throw RuntimeError(err::kOverflow);
                ++llngFile;
                step = 400;
                const std::string strTempInput = FromAnsi(reader.ReadField());
                step = 410;
                DebugLog("llngFile = " + std::to_string(llngFile) +
                         ", strTempInput = " + strTempInput);
                StoreReadEntry(llngFile, strTempInput, step);
            }
        }
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        ReportError(e.Number(), e.Description(), std::string(kClass), "MRU_Read",
                    "Error line: " + std::to_string(step));
    }
    DebugLog("End MRU_Read");
    // From here on errors are ignored.
    try {
        if (input)
            input->Close();
    } catch (...) {
    }
}

void cMRUFileList::StoreReadEntry(int32_t llngFile, const std::string& strTempInput,
                                  int32_t& step) {
    // An error 9 here is repaired once by sizing the array to the entry number and retrying.
    bool repaired = false;
    for (;;) {
        try {
            step = 440;
            step = 442;
            if (MaxFileCount() < llngFile) {
                step = 444;
                SetMaxFileCount(llngFile);
            }
            step = 450;
            Resize(MaxFileCount());
            step = 460;
            At(llngFile) = strTempInput;
            step = 470;
            return;
        } catch (const RuntimeError& e) {
            if (e.Number() != err::kSubscriptOutOfRange || repaired)
                throw;
            repaired = true;
            DebugLog("Error 'Subscript out of range', ReDiming m_sFiles to " +
                     std::to_string(llngFile));
            Resize(llngFile);
        }
    }
}

bool cMRUFileList::FileExistsA(const std::string& path) const {
    if (path.empty())
        return false;
    try {
        return modFileA::FileExists(path);
    } catch (...) {
        ui::ShowErrorBox("FileExistsA", CurrentRuntimeError());
        return false;
    }
}

bool cMRUFileList::Load(bool pblnUseRegistry, cRegistry& cR) {
    bool lblnSuccess = false;
    try {
        DebugLog(std::string("Start cMRUFileList.Load, pblnUseRegistry = ") +
                 BoolText(pblnUseRegistry));
        if (!pblnUseRegistry) {
            MRU_Read();
        } else {
            cR.SetValueKey("MaxCount");
            if (cR.KeyExists()) {
                cR.SetValueType(REG_DWORD);
                SetMaxFileCount(VariantToLong(cR.Value()));
                int32_t kept = 0;
                if (MaxFileCount() >= 1) {
                    cR.SetValueKey("Count");
                    cR.SetValueType(REG_DWORD);
                    m_lFileCount = VariantToLong(cR.Value());
                    auto keep = [&](int32_t j) {
                        cR.SetValueKey("File" + std::to_string(j));
                        cR.SetValueType(REG_SZ);
                        const std::string path = VariantToText(cR.Value());
                        if (modFileA::FileExists(path)) {
                            ++kept;
                            At(kept) = path;
                        }
                    };
                    // A missing File value reads as Default. When that names no file, missing
                    // values add nothing and only the values present need reading, so a huge
                    // Count costs nothing. Otherwise every missing value adds an entry and the
                    // array bound (error 9) ends the loop soon enough.
                    if (!IsEmpty(cR.Default()) &&
                        modFileA::FileExists(VariantToText(cR.Default()))) {
                        for (int32_t j = 1; j <= m_lFileCount; ++j)
                            keep(j);
                    } else {
                        for (const int32_t j : StoredFileNumbers(cR, m_lFileCount))
                            keep(j);
                    }
                }
                m_lFileCount = kept;
            }
        }
        lblnSuccess = true;
    } catch (...) {
        const RuntimeError e = CurrentRuntimeError();
        DebugLog("cMRUFileList.Load, Err.Number = " + std::to_string(e.Number()) +
                 ", Err.Description = " + e.Description());
    }
    DebugLog(std::string("End cMRUFileList.Load, lblnSuccess = ") + BoolText(lblnSuccess));
    return lblnSuccess;
}

std::vector<int32_t> cMRUFileList::StoredFileNumbers(cRegistry& cR, int32_t count) {
    std::vector<int32_t> numbers;
    if (count < 1)
        return numbers;
    std::vector<std::string> names;
    int32_t nameCount = 0;
    cR.EnumerateValues(names, nameCount);
    for (int32_t i = 1; i <= nameCount && static_cast<size_t>(i) < names.size(); ++i) {
        const int64_t j = FileValueNumber(names[static_cast<size_t>(i)]);
        if (j >= 1 && j <= count)
            numbers.push_back(static_cast<int32_t>(j));
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

} // namespace vellumo
