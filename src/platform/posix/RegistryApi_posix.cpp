// The registry functions on Linux: key handles and the Win32 call semantics over the SQLite
// registry store (see RegistryStore.h for the connection and the tables).
#include "platform/RegistryApi.h"

#include "platform/RegistryConstants.h"
#include "platform/Text.h"
#include "platform/posix/RegistryStore.h"

#include <cstring>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vellumo::regapi {
namespace {

using detail::OpenMode;
using detail::Query;
using detail::Store;
using detail::Transaction;

constexpr int64_t kTwoTo32 = 0x100000000LL;

constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;
constexpr uint32_t kGenericAll = 0x10000000u;

struct Handle {
    int64_t keyId = 0;       // a key's row id, or the root's predefined value
    uint32_t access = 0;     // the rights the handle was opened with
    uint64_t generation = 0; // the store connection the key id belongs to
};

struct Handles {
    std::unordered_map<RegKey, Handle> open;
    // Handles count up from here; they never meet the predefined roots, which are negative.
    RegKey next = 1;
};

Handles& OpenHandles() {
    static Handles handles;
    return handles;
}

// A root's predefined value as signed 32-bit, whether it came sign-extended or as unsigned.
// The store holds the roots below; HKEY_PERFORMANCE_DATA and the old HKEY_DYN_DATA have no keys
// of their own and are not handles here.
bool IsRoot(RegKey key, int64_t& root) {
    int64_t value = key;
    if (value >= -int64_t{HKEY_CLASSES_ROOT} && value < kTwoTo32)
        value -= kTwoTo32;
    switch (value) {
    case HKEY_CLASSES_ROOT:
    case HKEY_CURRENT_USER:
    case HKEY_LOCAL_MACHINE:
    case HKEY_USERS:
    case HKEY_CURRENT_CONFIG:
        root = value;
        return true;
    default:
        return false;
    }
}

uint32_t EffectiveAccess(uint32_t access) {
    if ((access & (MAXIMUM_ALLOWED | kGenericAll)) != 0)
        return KEY_ALL_ACCESS;
    if ((access & kGenericRead) != 0)
        access |= KEY_READ;
    if ((access & kGenericWrite) != 0)
        access |= KEY_WRITE;
    return access;
}

// Names are C strings at this boundary.
std::string_view CName(const std::string& name) {
    const auto nul = name.find('\0');
    return nul == std::string::npos ? std::string_view(name)
                                    : std::string_view(name).substr(0, nul);
}

// The form names compare in: upper case, as the Windows registry compares.
std::string Fold(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return folded;
}

bool IsTextType(uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Splits a key path into its levels. Trailing separators are ignored.
long SplitPath(const std::string& subKey, std::vector<std::string>& levels) {
    levels.clear();
    std::string_view path = CName(subKey);
    if (!path.empty() && path.front() == '\\')
        return kBadPathname;
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    while (!path.empty()) {
        const auto sep = path.find('\\');
        const std::string_view level = path.substr(0, sep);
        if (level.empty())
            return kBadPathname;
        if (CharLength(level) > kMaxKeyNameLength || levels.size() == kMaxKeyDepth)
            return kInvalidParameter;
        levels.emplace_back(level);
        path = sep == std::string_view::npos ? std::string_view() : path.substr(sep + 1);
    }
    return kSuccess;
}

// Where a call works: the key's id and the rights of the handle it came through.
struct Target {
    int64_t keyId = 0;
    uint32_t access = 0;
    bool root = false;
    bool storeAbsent = false; // no store yet: the key is a root and holds nothing
};

// Steps a query that gives at most one row: kSuccess with the row to read, `whenNone` when there
// is none, the store's status when the step fails.
long OneRow(Store& store, Query& q, long whenNone) {
    const int rc = q.Step();
    if (rc == SQLITE_ROW)
        return kSuccess;
    return rc == SQLITE_DONE ? whenNone : store.Fail(rc);
}

long KeyIsLive(Store& store, int64_t keyId) {
    if (keyId < 0)
        return kSuccess;
    Query q(store, "SELECT 1 FROM keys WHERE id = ?1");
    return OneRow(store, q.Bind(1, keyId), kKeyDeleted);
}

// Brings up the store (in `mode`) and finds the key behind a root or handle, checking that the
// handle carries the rights `need`.
long Locate(RegKey key, uint32_t need, OpenMode mode, Target& target) {
    Store& store = Store::Instance();
    const long status = store.Acquire(mode);
    if (status != kSuccess && status != kFileNotFound)
        return status;
    target.storeAbsent = status == kFileNotFound;
    int64_t root = 0;
    if (IsRoot(key, root)) {
        target.keyId = root;
        target.access = KEY_ALL_ACCESS;
        target.root = true;
        return kSuccess;
    }
    auto& open = OpenHandles().open;
    const auto it = open.find(key);
    if (it == open.end())
        return kInvalidHandle;
    const Handle& handle = it->second;
    if ((handle.access & need) != need)
        return kAccessDenied;
    target.keyId = handle.keyId;
    target.access = handle.access;
    if (handle.keyId < 0)
        return kSuccess;
    if (target.storeAbsent || handle.generation != store.Generation())
        return kInvalidHandle;
    return KeyIsLive(store, handle.keyId);
}

// Locate for the calls that read or delete what is stored: `whenAbsent` while there is no store
// yet (nothing is stored then).
long LocateStored(RegKey key, uint32_t need, long whenAbsent, Target& target) {
    if (const long s = Locate(key, need, OpenMode::Existing, target); s != kSuccess)
        return s;
    return target.storeAbsent ? whenAbsent : kSuccess;
}

// The start of every call that takes a root (or handle) and a key path: the path's levels and
// the key they start from. Opening a key needs no right on the handle it starts from.
long LocatePath(RegKey root, const std::string& subKey, OpenMode mode,
                std::vector<std::string>& levels, Target& target) {
    if (const long s = SplitPath(subKey, levels); s != kSuccess)
        return s;
    return Locate(root, 0, mode, target);
}

// The subkey of `parent` whose name folds to `folded`; kFileNotFound when there is none.
long Child(Store& store, int64_t parent, std::string_view folded, int64_t& child) {
    Query q(store, "SELECT id FROM keys WHERE parent = ?1 AND fold = ?2");
    if (const long s = OneRow(store, q.Bind(1, parent).Bind(2, folded), kFileNotFound);
        s != kSuccess)
        return s;
    child = q.Int(0);
    return kSuccess;
}

// Follows the levels down from `keyId`; kFileNotFound when one is missing.
long Walk(Store& store, const std::vector<std::string>& levels, int64_t& keyId) {
    for (const auto& level : levels) {
        if (const long s = Child(store, keyId, Fold(level), keyId); s != kSuccess)
            return s;
    }
    return kSuccess;
}

// Name number `index` of `list` below the key behind `key`, which must carry the rights `need`;
// kNoMoreItems past the end and for a store that does not exist yet. The store keeps the list
// between calls, so enumerating a key by index reads its names once.
long NameAt(RegKey key, uint32_t need, Store::NameList list, uint32_t index, std::string& found) {
    Target target;
    if (const long s = LocateStored(key, need, kNoMoreItems, target); s != kSuccess)
        return s;
    const std::vector<std::string>* names = nullptr;
    if (const long s = Store::Instance().Names(list, target.keyId, &names); s != kSuccess)
        return s;
    if (index >= names->size())
        return kNoMoreItems;
    found = (*names)[index];
    return kSuccess;
}

// Levels from its root down to the key `keyId` (0 for a root).
long Depth(Store& store, int64_t keyId, uint32_t& depth) {
    depth = 0;
    if (keyId < 0)
        return kSuccess;
    Query q(store, "WITH RECURSIVE up(id, n) AS (SELECT ?1, 0 UNION ALL "
                   "SELECT k.parent, up.n + 1 FROM keys k JOIN up ON k.id = up.id) "
                   "SELECT max(n) FROM up");
    if (const long s = OneRow(store, q.Bind(1, keyId), kKeyDeleted); s != kSuccess)
        return s;
    depth = static_cast<uint32_t>(q.Int(0));
    return kSuccess;
}

RegKey NewHandle(int64_t keyId, uint32_t access) {
    Handles& handles = OpenHandles();
    const RegKey handle = handles.next++;
    handles.open[handle] = Handle{keyId, EffectiveAccess(access), Store::Instance().Generation()};
    return handle;
}

} // namespace

namespace {

// The frame OpenKey and CreateKey share: locate the root and the path, let `descend` go down the
// path's levels from the root's key (only when there are levels), hand out a handle.
template <typename Descend>
long KeyCall(RegKey root, const std::string& subKey, uint32_t access, OpenMode mode, RegKey& result,
             Descend descend) {
    result = 0;
    std::vector<std::string> levels;
    Target target;
    if (const long s = LocatePath(root, subKey, mode, levels, target); s != kSuccess)
        return s;
    int64_t keyId = target.keyId;
    if (!levels.empty()) {
        if (const long s = descend(levels, target, keyId); s != kSuccess)
            return s;
    }
    result = NewHandle(keyId, access);
    return kSuccess;
}

// Creates the missing levels below keyId in one transaction; keyId ends at the last level.
long CreateLevels(const std::vector<std::string>& levels, const Target& target, int64_t& keyId) {
    Store& store = Store::Instance();
    Transaction transaction(store);
    if (const long s = transaction.Begin(); s != kSuccess)
        return s;
    if (const long s = KeyIsLive(store, keyId); s != kSuccess)
        return s;
    bool depthChecked = false;
    for (const auto& level : levels) {
        const std::string folded = Fold(level);
        const long found = Child(store, keyId, folded, keyId);
        if (found == kSuccess)
            continue;
        if (found != kFileNotFound)
            return found;
        // Creating below a handle needs the right to create subkeys; opening does not.
        if (keyId == target.keyId && (target.access & KEY_CREATE_SUB_KEY) == 0)
            return kAccessDenied;
        // The path's own length was checked; below a handle its key's depth counts too.
        if (!depthChecked) {
            uint32_t depth = 0;
            if (const long s = Depth(store, target.keyId, depth); s != kSuccess)
                return s;
            if (depth + levels.size() > kMaxKeyDepth)
                return kInvalidParameter;
            depthChecked = true;
        }
        Query insert(store, "INSERT INTO keys(parent, name, fold) VALUES(?1, ?2, ?3)");
        const int rc = insert.Bind(1, keyId).Bind(2, level).Bind(3, folded).Step();
        if (rc != SQLITE_DONE)
            return store.Fail(rc);
        keyId = sqlite3_last_insert_rowid(store.Db());
    }
    return transaction.Commit();
}

} // namespace

long OpenKey(RegKey root, const std::string& subKey, uint32_t access, RegKey& result) {
    return KeyCall(
        root, subKey, access, OpenMode::Existing, result,
        [](const std::vector<std::string>& levels, const Target& target, int64_t& keyId) {
            if (target.storeAbsent)
                return kFileNotFound;
            return Walk(Store::Instance(), levels, keyId);
        });
}

long CreateKey(RegKey root, const std::string& subKey, uint32_t access, RegKey& result) {
    return KeyCall(root, subKey, access, OpenMode::Create, result, CreateLevels);
}

long CloseKey(RegKey key) {
    int64_t root = 0;
    if (IsRoot(key, root))
        return kSuccess;
    return OpenHandles().open.erase(key) == 1 ? kSuccess : kInvalidHandle;
}

long QueryValue(RegKey key, const std::string& name, uint32_t* type, uint8_t* data,
                uint32_t* size) {
    if (data != nullptr && size == nullptr)
        return kInvalidParameter;
    Target target;
    if (const long s = LocateStored(key, KEY_QUERY_VALUE, kFileNotFound, target); s != kSuccess)
        return s;
    Store& store = Store::Instance();
    Query q(store, "SELECT type, data FROM vals WHERE key = ?1 AND fold = ?2");
    q.Bind(1, target.keyId).Bind(2, Fold(CName(name)));
    if (const long s = OneRow(store, q, kFileNotFound); s != kSuccess)
        return s;
    const auto storedType = static_cast<uint32_t>(q.Int(0));
    const std::string_view stored = q.Blob(1);
    const auto storedSize = static_cast<uint32_t>(stored.size());
    if (type != nullptr)
        *type = storedType;
    if (data != nullptr) {
        if (storedSize > *size) {
            *size = storedSize;
            return kMoreData;
        }
        if (storedSize > 0)
            std::memcpy(data, stored.data(), storedSize);
        // The ANSI call terminates a text stored without its NUL when the buffer has room.
        if (IsTextType(storedType) && storedSize > 0 && storedSize < *size &&
            data[storedSize - 1] != 0)
            data[storedSize] = 0;
    }
    if (size != nullptr)
        *size = storedSize;
    return kSuccess;
}

long SetValue(RegKey key, const std::string& name, uint32_t type, const uint8_t* data,
              uint32_t size) {
    if (data == nullptr && size > 0)
        return kInvalidParameter;
    const std::string_view valueName = CName(name);
    if (CharLength(valueName) > kMaxValueNameLength)
        return kInvalidParameter;
    Target target;
    if (const long s = Locate(key, KEY_SET_VALUE, OpenMode::Create, target); s != kSuccess)
        return s;
    Store& store = Store::Instance();
    Transaction transaction(store);
    if (const long s = transaction.Begin(); s != kSuccess)
        return s;
    if (const long s = KeyIsLive(store, target.keyId); s != kSuccess)
        return s;
    Query q(store,
            "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
            "ON CONFLICT(key, fold) DO UPDATE SET type = excluded.type, data = excluded.data");
    const int rc = q.Bind(1, target.keyId)
                       .Bind(2, valueName)
                       .Bind(3, Fold(valueName))
                       .Bind(4, static_cast<int64_t>(type))
                       .BindBlob(5, data, size)
                       .Step();
    if (rc != SQLITE_DONE)
        return store.Fail(rc);
    return transaction.Commit();
}

long DeleteKey(RegKey root, const std::string& subKey) {
    std::vector<std::string> levels;
    Target target;
    if (const long s = LocatePath(root, subKey, OpenMode::Existing, levels, target); s != kSuccess)
        return s;
    if (levels.empty() && target.keyId < 0)
        return kAccessDenied; // a predefined root cannot be deleted
    if (target.storeAbsent)
        return kFileNotFound;
    Store& store = Store::Instance();
    Transaction transaction(store);
    if (const long s = transaction.Begin(); s != kSuccess)
        return s;
    int64_t keyId = target.keyId;
    if (const long s = Walk(store, levels, keyId); s != kSuccess)
        return s;
    Query children(store, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    int rc = children.Bind(1, keyId).Step();
    if (rc == SQLITE_ROW)
        return kAccessDenied;
    if (rc != SQLITE_DONE)
        return store.Fail(rc);
    Query values(store, "DELETE FROM vals WHERE key = ?1");
    if (rc = values.Bind(1, keyId).Step(); rc != SQLITE_DONE)
        return store.Fail(rc);
    Query self(store, "DELETE FROM keys WHERE id = ?1");
    if (rc = self.Bind(1, keyId).Step(); rc != SQLITE_DONE)
        return store.Fail(rc);
    return transaction.Commit();
}

long DeleteValue(RegKey key, const std::string& name) {
    Target target;
    if (const long s = LocateStored(key, KEY_SET_VALUE, kFileNotFound, target); s != kSuccess)
        return s;
    Store& store = Store::Instance();
    Transaction transaction(store);
    if (const long s = transaction.Begin(); s != kSuccess)
        return s;
    Query q(store, "DELETE FROM vals WHERE key = ?1 AND fold = ?2");
    const int rc = q.Bind(1, target.keyId).Bind(2, Fold(CName(name))).Step();
    if (rc != SQLITE_DONE)
        return store.Fail(rc);
    if (sqlite3_changes(store.Db()) == 0)
        return kFileNotFound;
    return transaction.Commit();
}

long EnumValue(RegKey key, uint32_t index, std::string& name, uint32_t& nameLength) {
    std::string found;
    if (const long s = NameAt(key, KEY_QUERY_VALUE, Store::NameList::Values, index, found);
        s != kSuccess)
        return s;
    if (found.size() + 1 > nameLength)
        return kMoreData;
    nameLength = static_cast<uint32_t>(found.size());
    name = std::move(found);
    return kSuccess;
}

long EnumKey(RegKey key, uint32_t index, std::string& name, uint32_t bufferLength) {
    std::string found;
    if (const long s = NameAt(key, KEY_ENUMERATE_SUB_KEYS, Store::NameList::Subkeys, index, found);
        s != kSuccess)
        return s;
    if (found.size() + 1 > bufferLength)
        return kMoreData;
    name = std::move(found);
    return kSuccess;
}

long QueryInfoKey(RegKey key, uint32_t* subKeyCount, uint32_t* valueCount,
                  uint32_t* maxValueNameLength) {
    Target target;
    if (const long s = Locate(key, KEY_QUERY_VALUE, OpenMode::Existing, target); s != kSuccess)
        return s;
    uint32_t keys = 0;
    uint32_t values = 0;
    uint32_t longest = 0;
    if (!target.storeAbsent) {
        Store& store = Store::Instance();
        Query k(store, "SELECT count(*) FROM keys WHERE parent = ?1");
        int rc = k.Bind(1, target.keyId).Step();
        if (rc != SQLITE_ROW)
            return store.Fail(rc);
        keys = static_cast<uint32_t>(k.Int(0));
        Query v(store, "SELECT count(*), coalesce(max(length(CAST(name AS BLOB))), 0) FROM vals "
                       "WHERE key = ?1");
        rc = v.Bind(1, target.keyId).Step();
        if (rc != SQLITE_ROW)
            return store.Fail(rc);
        values = static_cast<uint32_t>(v.Int(0));
        longest = static_cast<uint32_t>(v.Int(1));
    }
    if (subKeyCount != nullptr)
        *subKeyCount = keys;
    if (valueCount != nullptr)
        *valueCount = values;
    if (maxValueNameLength != nullptr)
        *maxValueNameLength = longest;
    return kSuccess;
}

std::string StoreProblem() {
    return Store::Instance().Problem();
}

std::string StorePath() {
    return Store::ResolvePath();
}

void SetStoreProblemObserver(std::function<void(const std::string&)> observer) {
    Store::Instance().SetProblemObserver(std::move(observer));
}

} // namespace vellumo::regapi
