#pragma once
// The settings record and its file. The stored part is exactly 40 bytes at
// fixed offsets (little-endian, padding kept as read); it is serialised field
// by field, never by copying the structure. Defaults live in CnfSetDefault only.

#include <array>
#include <cstdint>
#include <string>

struct TCnfData {
    bool MLong = false;  // text report: long-echo lines
    bool MOData = false; // text report: other-data lines
    bool RepTOF = false; // write the text report after every recompute
    bool Rep1l1 = false; // report10.csv starts with its format line
    bool Rep1OF = false; // write report10.csv after every recompute
    bool Rep6l1 = false; // report60.csv starts with its format line
    bool Rep6OF = false; // write report60.csv after every recompute
    bool RMOBF = false;  // write rmob.txt after every recompute
    bool RMOBLE = false; // RMOB output: long-echo table
    bool RMOBOD = false; // RMOB output: other-data table
    std::array<std::uint8_t, 2> Pad10{};
    std::int32_t RTZ = 0; // hours added to local time to get UT
    bool LongFLE = false; // long-echo duration known; only labels the RMOB tables
    std::array<std::uint8_t, 3> Pad17{};
    std::int32_t LongTLE = 0; // seconds; only labels the RMOB tables
    bool LongFOD = false;     // other-data duration known
    std::array<std::uint8_t, 3> Pad25{};
    std::int32_t LongTOD = 0; // seconds; only labels the RMOB tables
    std::int32_t nd = 0;      // noise threshold in minutes: this many or fewer is noise
    bool HR = false;          // text report: partial hours as "%" rates
    std::array<std::uint8_t, 3> Pad37{};
    std::string CnfFileName; // never stored
};

constexpr std::size_t kCnfStoredSize = 40;
using CnfBytes = std::array<std::uint8_t, kCnfStoredSize>;

extern TCnfData CnfData;

// The running program's own path with its extension replaced by ".ini".
std::string DefaultCnfFileName();

// Sets CnfFileName to DefaultCnfFileName() and every stored field to its
// default. Padding is left alone.
void CnfSetDefault(TCnfData& cnf);
// Reads the first 40 bytes of the settings file. A missing file gives the
// defaults silently; a short or unreadable one shows the message and gives
// the defaults. Never throws.
void CnfLoad(TCnfData& cnf);
// Writes exactly the 40 stored bytes; throws IoError naming the file.
void CnfSave(const TCnfData& cnf);

CnfBytes CnfToBytes(const TCnfData& cnf);
void CnfFromBytes(TCnfData& cnf, const CnfBytes& bytes);

const char* BoolText(bool value); // "True" or "False"
// The display text, code page 932, each line ended by a single CR.
std::string CnfShowText(const TCnfData& cnf);
// Shows CnfShowText through the installed message call.
void CnfShow(const TCnfData& cnf);
