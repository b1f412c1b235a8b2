#pragma once
// The list of meteor showers that the activity profiles know: code, activity
// period, peak solar longitude and radiant. The program ships data/showers.csv;
// an observer's own file of the same columns adds showers or replaces them by
// code. Callers load the shipped file (findShowerCatalogFile says where it is),
// merge the user's file over it and pass the list on by value.

#include <filesystem>
#include <istream>
#include <optional>
#include <string>
#include <vector>

struct MonthDay {
    int month = 1; // 1 to 12
    int day = 1;   // 1 to 31
    bool operator==(const MonthDay&) const = default;
};

struct Shower {
    std::string code;              // IAU three-letter code, "GEM"
    std::string name;              // "Geminids"
    MonthDay start;                // first day of activity; may lie in the year before end
    MonthDay end;                  // last day of activity
    double peakSolarLongitude = 0; // degrees, J2000.0
    double rightAscension = 0;     // radiant at the peak, degrees, J2000.0
    double declination = 0;
    double rightAscensionDrift = 0; // degrees per day
    double declinationDrift = 0;    // degrees per day
    double velocity = 0;            // km/s
    std::optional<double> zhr;      // empty where the list gives no number
    bool daytime = false;
    int iauNumber = 0;

    // An activity period that runs across New Year (the Quadrantids).
    bool crossesNewYear() const;
};

// Reads a catalogue in the shipped file's form: a header line naming the
// columns (any order; unknown columns ignored), then one shower per line.
// Blank lines and lines starting with '#' are skipped. A missing column, a
// bad number or date throws std::runtime_error naming sourceName and the line.
std::vector<Shower> parseShowerCatalog(std::istream& in, const std::string& sourceName);
std::vector<Shower> parseShowerCatalog(const std::string& text, const std::string& sourceName);
// Reads a catalogue file; IoError when it cannot be opened.
std::vector<Shower> loadShowerCatalog(const std::filesystem::path& path);

// The base list with each shower of extra replacing the one of the same code
// (kept in its place) or appended.
std::vector<Shower> mergeShowerCatalogs(std::vector<Shower> base, const std::vector<Shower>& extra);

const Shower* findShower(const std::vector<Shower>& catalog, const std::string& code);

// Where the shipped showers.csv is: beside the executable, in data/ beside it
// or one or two folders up (the build tree), in ../share/velkreport/ (the
// installed layout), then in the installed data folder compiled in. Nothing
// when none exists.
std::optional<std::filesystem::path>
findShowerCatalogFile(const std::filesystem::path& executableDir);

// The folder of the running program.
std::filesystem::path executableDirectory();

// The observer's own list beside the settings file: its name with the
// extension replaced by ".showers.csv".
std::string userShowerFileName(const std::string& settingsFileName);

// The shipped list with the observer's own file merged over it: userFile when
// given (it must exist), else the one beside the settings file when there is
// one. Throws when the shipped list is nowhere to be found.
std::vector<Shower> loadShowerList(const std::string& settingsFileName,
                                   const std::optional<std::string>& userFile);
