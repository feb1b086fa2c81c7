// The recent-files list: paths, most recent first, with a maximum length, kept in "mru.ini" or
// under HKCU\Software\Kestrova\Vellumo\Files. Property and list members raise RuntimeError 9
// (Subscript out of range) for an index outside the array, or any access while there is none.
// The array holds at most kMaxEntries entries: a larger size raises 7 (Out of memory).
// Each property reads through X() and is set through SetX(value).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vellumo {

class cRegistry;

class cMRUFileList {
public:
    // The largest array the list accepts: far beyond any real list (the product keeps 6), small
    // enough that a corrupt size in "mru.ini" or the registry cannot exhaust memory.
    static constexpr int32_t kMaxEntries = 100000;
    // The list's length when nothing says otherwise: a new "mru.ini", the window's list.
    static constexpr int32_t kDefaultMaxCount = 6;

    [[nodiscard]] int32_t MaxFileCount() const { return m_lMaxCount; }
    // When lMax differs from the maximum: resizes the array to 1..lMax keeping the entries that
    // fit. lMax below 1 raises 9, above kMaxEntries raises 7; the list is then unchanged. The
    // count is not touched.
    void SetMaxFileCount(int32_t lMax);
    [[nodiscard]] int32_t FileCount() const { return m_lFileCount; }
    // The entry's stored path (any index within the array, also beyond FileCount).
    [[nodiscard]] std::string FILE(int32_t iIndex) const;
    // The entry's text is not empty (the disk is not looked at).
    [[nodiscard]] bool FileExists(int32_t iIndex) const;
    // "&" + index + ")  " + the path, shortened to "..." + a tail when longer than 32 characters.
    [[nodiscard]] std::string MenuCaption(int32_t iIndex) const;
    // Puts an existing file first (moving it up when listed, ignoring letter case); a path where
    // no file exists changes nothing. A full list drops its last entry.
    void AddFile(const std::string& sfileName);
    // Writes "mru.ini" (pblnUseRegistry False) or MaxCount, Count and File1..FileN on the key set
    // in cR. Any failure ends it quietly with False.
    bool Save(bool pblnUseRegistry, cRegistry& cR);
    // Reads "mru.ini" (creating it with MaxCount 6 and Count 0 when missing). Failures go to
    // ReportError; values read before stay.
    void MRU_Read();
    // Loads from "mru.ini" or from the key set in cR, keeping only registry entries whose file
    // exists. False after a failure (logged in debug mode); what was loaded before stays.
    bool Load(bool pblnUseRegistry, cRegistry& cR);

private:
    bool MRU_Save();
    bool FileExistsA(const std::string& path) const;
    // Stores one "mru.ini" entry, growing the maximum to llngFile when needed; step is the
    // progress number for the error report.
    void StoreReadEntry(int32_t llngFile, const std::string& strTempInput, int32_t& step);
    // The numbers j (1..count, ascending) of the values "File" + j present on the key of cR.
    static std::vector<int32_t> StoredFileNumbers(cRegistry& cR, int32_t count);
    // Resizes m_sFiles to indices 1..count (raises 9 below 1, 7 above kMaxEntries).
    void Resize(int32_t count);
    std::string& At(int32_t iIndex);
    const std::string& At(int32_t iIndex) const;

    int32_t m_lMaxCount = 0;
    int32_t m_lFileCount = 0;
    std::vector<std::string> m_sFiles; // index 0 unused; empty vector: no array
};

} // namespace vellumo
