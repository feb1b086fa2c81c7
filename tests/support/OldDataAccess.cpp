// Loaded into the program with LD_PRELOAD by the tests: the SQLite library's version, which stands
// for the data-access components, reads 2.1, older than the program needs.
extern "C" __attribute__((visibility("default"))) const char* sqlite3_libversion() {
    return "2.1.0";
}
