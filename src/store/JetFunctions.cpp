#include "store/JetFunctions.h"

#include "store/JetPattern.h"

#include <memory>
#include <sqlite3.h>

namespace mendor {

namespace {

void deletePattern(void* pattern) {
    delete static_cast<JetPattern*>(pattern);
}

// The pattern is usually the same constant on every row: it is compiled once per statement and
// kept with the argument.
void jetLike(sqlite3_context* context, int, sqlite3_value** arguments) {
    // The usual call, once per row: a pattern compiled already (so not NULL), and a text, which
    // reads as no bytes at all only when it is NULL.
    if (const auto* cached = static_cast<const JetPattern*>(sqlite3_get_auxdata(context, 1))) {
        if (const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0])))
            sqlite3_result_int(context,
                               cached->matchesUtf8(text, std::size_t(sqlite3_value_bytes(arguments[0]))));
        else
            sqlite3_result_null(context);
        return;
    }
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL || sqlite3_value_type(arguments[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    const auto length = std::size_t(sqlite3_value_bytes(arguments[0]));
    const auto* source = reinterpret_cast<const char*>(sqlite3_value_text(arguments[1]));
    std::optional<JetPattern> compiled =
        JetPattern::compile(QString::fromUtf8(source, sqlite3_value_bytes(arguments[1])));
    if (!compiled) {
        sqlite3_result_error(context, "Invalid pattern string", -1);
        return;
    }
    auto pattern = std::make_unique<JetPattern>(std::move(*compiled));
    sqlite3_result_int(context, pattern->matchesUtf8(text, length));
    // The engine owns it from here, and frees it at once when it cannot keep it.
    sqlite3_set_auxdata(context, 1, pattern.release(), deletePattern);
}

void jetFold(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    const int length = sqlite3_value_bytes(arguments[0]);
    const std::string folded = FoldCaseUtf8(text, std::size_t(length));
    if (folded.size() == std::size_t(length) && folded.compare(0, folded.size(), text, folded.size()) == 0) {
        sqlite3_result_value(context, arguments[0]);
        return;
    }
    sqlite3_result_text64(context, folded.data(), folded.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void bitAt(sqlite3_context* context, int, sqlite3_value** arguments) {
    if (sqlite3_value_type(arguments[0]) == SQLITE_NULL || sqlite3_value_type(arguments[1]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto* bits = static_cast<const unsigned char*>(sqlite3_value_blob(arguments[0]));
    const sqlite3_int64 bytes = sqlite3_value_bytes(arguments[0]);
    const sqlite3_int64 n = sqlite3_value_int64(arguments[1]);
    sqlite3_result_int(context, bits && n >= 0 && n / 8 < bytes && ((bits[n / 8] >> (n % 8)) & 1));
}

} // namespace

bool RegisterJetFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    return sqlite3_create_function_v2(db, kJetLikeFunction, 2, flags, nullptr, jetLike, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, kJetFoldFunction, 1, flags, nullptr, jetFold, nullptr, nullptr,
                                      nullptr) == SQLITE_OK &&
           sqlite3_create_function_v2(db, kBitAtFunction, 2, flags, nullptr, bitAt, nullptr, nullptr,
                                      nullptr) == SQLITE_OK;
}

} // namespace mendor
