#pragma once

#include <cstdint>
#include <map>
#include <string>

// The groove folder of an install's user offers the shipped grooves beside
// the user's own, so that the Song Editor lists, opens and saves grooves in
// one folder. Each shipped "<style>/<name>.mid" that the user has no groove
// of that name for is copied in; a copy the user never changed follows a
// changed shipped groove. A groove the user saved under a shipped name
// shadows the shipped one and is kept; the shipped file is only read. The
// copies are remembered with their checksums in a list in the user's folder.
class CGrooveShelf {
public:
    static constexpr const char* kListName = ".shipped";
    static constexpr const char* kGrooveExtension = ".mid";

    // Brings the copies of the grooves below shipped up to date below user.
    // False when a groove could not be read or copied, with the first
    // reason in GetError; the other grooves are still stocked.
    bool Stock(const std::string& shipped, const std::string& user);
    // "Can't stock the shipped grooves: ...".
    const char* GetError() const { return m_error.c_str(); }

    // The checksum the list keeps of a groove's bytes (64-bit FNV-1a).
    static uint64_t Checksum(const std::string& bytes);

private:
    using COPIES = std::map<std::string, uint64_t>;  // "<style>/<name>.mid" -> checksum

    // Stocks one shipped groove, relative is "<style>/<name>.mid".
    bool StockOne(const std::string& shipped, const std::string& user, const std::string& relative,
                  COPIES& copies);
    bool Fail(const std::string& reason);

    std::string m_error;
};
