#include "reports/RmobMonthly.h"
#include "shared/IoError.h"

#include "HourTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// Hours of one slot each, echoes only, under RTZ and a threshold of 20.
struct MonthHours {
    Hours hours;
    void add(std::string_view time, std::int64_t echo, std::int64_t obs) {
        hours.hour(time, echo, obs);
    }
    UtHourList list(std::int32_t rtz) const { return hours.list(rtz, 20); }
};

StationInfo fullStation() {
    StationInfo s;
    s.observer = "My Station";
    s.country = "Japan";
    s.city = "Tokyo";
    s.longitude = "139.758333";
    s.latitude = "35.688889";
    s.longitudeGmap = "139.7583";
    s.latitudeGmap = "35.6889";
    s.frequencies = "53.750 MHz";
    s.antenna = "3el Yagi";
    s.antennaAzimuth = "0";
    s.antennaElevation = "90";
    s.preAmplifier = "none";
    s.receiver = "FT-000";
    s.observingMethod = "Ham-band radio";
    s.email = "obs@example.org";
    return s;
}

const std::vector<std::string> kLabels = {"[Observer]",
                                          "[Country]",
                                          "[City]",
                                          "[Longitude]",
                                          "[Latitude ]",
                                          "[Longitude GMAP]",
                                          "[Latitude GMAP]",
                                          "[Frequencies]",
                                          "[Antenna]",
                                          "[Azimut Antenna]",
                                          "[Elevation Antenna]",
                                          "[Pre-Amplifier]",
                                          "[Receiver]",
                                          "[Observing Method]",
                                          "[Remarks]",
                                          "[Soft FTP]",
                                          "[E]"};

// A reader as strict as the collectors': CR LF everywhere, the header, one line
// per day of the month with 24 cells of an integer or "???", then the block.
struct UploadFile {
    std::vector<std::array<std::optional<int>, 24>> days;
    std::vector<std::string> blockValues;
};

std::optional<UploadFile> readUpload(const std::string& bytes, const std::string& abbrev,
                                     int monthLength, std::string& error) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) {
            error = "last line without CR LF";
            return std::nullopt;
        }
        lines.push_back(bytes.substr(start, end - start));
        if (lines.back().find_first_of("\r\n") != std::string::npos) {
            error = "lone line break";
            return std::nullopt;
        }
        start = end + 2;
    }
    if (lines.size() != static_cast<size_t>(1 + 31 + 17)) {
        error = "line count " + std::to_string(lines.size());
        return std::nullopt;
    }
    std::string head = abbrev;
    for (int h = 0; h < 24; ++h) {
        head += (h < 10 ? "| 0" : "| ") + std::to_string(h) + "h";
    }
    if (lines[0] != head + "|") {
        error = "header";
        return std::nullopt;
    }
    UploadFile file;
    for (int d = 1; d <= 31; ++d) {
        const std::string& line = lines[static_cast<size_t>(d)];
        const std::string day = (d < 10 ? " 0" : " ") + std::to_string(d) + "|";
        if (line.compare(0, 4, day) != 0 || line.back() != '|') {
            error = "day line " + std::to_string(d);
            return std::nullopt;
        }
        // Split on "|" as the collectors do: one or two digits after a blank,
        // three before one, or four digits and more filling the cell.
        std::vector<std::string> cellTexts;
        for (size_t pos = 4; pos < line.size();) {
            const size_t bar = line.find('|', pos);
            cellTexts.push_back(line.substr(pos, bar - pos));
            pos = bar + 1;
        }
        if (cellTexts.size() != 24) {
            error = "day line " + std::to_string(d) + " cell count";
            return std::nullopt;
        }
        std::array<std::optional<int>, 24> cells;
        for (size_t h = 0; h < 24; ++h) {
            const std::string& cell = cellTexts[h];
            if (cell == "??? ") {
                continue;
            }
            const bool wide = cell.size() >= 4 && cell[0] != ' ' && cell.back() != ' ';
            const std::string digits = cell[0] == ' ' ? cell.substr(1, cell.find(' ', 1) - 1)
                                                      : cell.substr(0, cell.find(' '));
            const bool padded =
                cell.size() == 4 && digits.size() < 4 &&
                cell == (digits.size() < 3 ? " " + digits : digits) +
                            std::string(digits.size() < 3 ? 3 - digits.size() : 1, ' ');
            if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
                !(wide || padded)) {
                error = "cell '" + cell + "'";
                return std::nullopt;
            }
            cells[h] = std::stoi(digits);
        }
        if (d > monthLength && std::any_of(cells.begin(), cells.end(), [](auto c) { return c; })) {
            error = "day " + std::to_string(d) + " past the month's end has a value";
            return std::nullopt;
        }
        if (d <= monthLength) {
            file.days.push_back(cells);
        }
    }
    for (size_t i = 0; i < 17; ++i) {
        const std::string& line = lines[1 + 31 + i];
        if (line.compare(0, kLabels[i].size(), kLabels[i]) != 0) {
            error = "block line " + line;
            return std::nullopt;
        }
        file.blockValues.push_back(line.substr(kLabels[i].size()));
    }
    return file;
}

std::string unobserved(int hours) {
    std::string s;
    for (int i = 0; i < hours; ++i) {
        s += "??? |";
    }
    return s;
}

// The file as written: every line ended by CR LF.
std::string bytesOf(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

} // namespace

TEST(buildRmobMonthTables, LocalMorningOfTheFirstLandsOnTheLastDayBefore) {
    MonthHours data;
    data.add("2024/01/01 07:00", 30, 60); // UT 2023/12/31 22h
    data.add("2024/01/01 08:00", 40, 60); // UT 2023/12/31 23h
    data.add("2024/01/01 09:00", 50, 60); // UT 2024/01/01 00h
    const auto tables = buildRmobMonthTables(data.list(-9));
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0].month, (UtMonth{2023, 12}));
    EXPECT_EQ(tables[1].month, (UtMonth{2024, 1}));
    ASSERT_EQ(tables[0].days.size(), 31u);
    EXPECT_EQ(tables[0].days[30][22], 30);
    EXPECT_EQ(tables[0].days[30][23], 40);
    EXPECT_EQ(tables[1].days[0][0], 50);
    EXPECT_FALSE(tables[1].days[0][1]);
    EXPECT_EQ(rmobMonthlyMonths(data.list(0)), (std::vector<UtMonth>{{2024, 1}}));
}

TEST(buildRmobMonthTables, MonthsOfEachYearApart) {
    MonthHours data;
    data.add("2024/03/10 12:00", 5, 60);
    data.add("2023/03/10 12:00", 5, 60); // same month of the year before
    data.add("2024/01/10 12:00", 5, 60);
    data.hours.gap("2024/05/01 00:00"); // gap slots only: the month is listed, empty
    EXPECT_EQ(rmobMonthlyMonths(data.list(0)),
              (std::vector<UtMonth>{{2023, 3}, {2024, 1}, {2024, 3}, {2024, 5}}));
}

TEST(buildRmobMonthTables, OnlyHoursAboveTheNoiseHaveValues) {
    MonthHours data;
    data.add("2006/01/01 08:00", 40, 60);
    data.add("2006/01/01 09:00", 7, 15); // noise
    data.add("2006/01/01 10:00", 9, 45); // rate 12
    data.hours.gap("2006/01/01 11:00");  // gap only
    data.add("2006/01/01 12:00", 5, 20); // exactly the threshold: noise
    data.add("2006/01/01 13:00", 5, 21); // one minute more: 14.29
    const auto tables = buildRmobMonthTables(data.list(0));
    ASSERT_EQ(tables.size(), 1u);
    const auto& day = tables[0].days[0];
    EXPECT_EQ(day[8], 40);
    EXPECT_FALSE(day[9]);
    EXPECT_EQ(day[10], 12);
    EXPECT_FALSE(day[11]);
    EXPECT_FALSE(day[12]);
    EXPECT_EQ(day[13], 14);
}

TEST(rmobMonthlyCell, WidthsAndLimits) {
    const std::pair<std::optional<std::int64_t>, const char*> cases[] = {
        {0, " 0  |"},      {5, " 5  |"},
        {16, " 16 |"},     {145, "145 |"},
        {999, "999 |"},    {1000, "1000|"},
        {9999, "9999|"},   {10000, "10000|"},
        {12345, "12345|"}, {std::nullopt, "??? |"},
        {-1, "??? |"},
    };
    for (const auto& [value, cell] : cases) {
        EXPECT_EQ(rmobMonthlyCell(value), cell) << (value ? std::to_string(*value) : "none");
    }
}

TEST(rmobMonthlyLines, FebruaryHasThirtyOneDayLinesItsMissingDaysUnobserved) {
    MonthHours data;
    data.add("2024/02/15 12:00", 6, 60);
    data.add("2023/02/15 12:00", 6, 60);
    const UtHourList list = data.list(0);
    const StationInfo station = fullStation();
    for (auto [year, length] : {std::pair{2024, 29}, std::pair{2023, 28}}) {
        const auto lines = rmobMonthlyLines(rmobMonthTable(list, UtMonth{year, 2}), station);
        ASSERT_EQ(lines.size(), static_cast<size_t>(1 + 31 + 17)) << year;
        EXPECT_EQ(lines[0].substr(0, 9), "feb| 00h|");
        EXPECT_EQ(lines[static_cast<size_t>(length)].substr(0, 4),
                  " " + std::to_string(length) + "|");
        EXPECT_EQ(lines[31], " 31|" + unobserved(24));
        EXPECT_EQ(lines[15], " 15|" + unobserved(12) + " 6  |" + unobserved(11));
        EXPECT_EQ(lines[1], " 01|" + unobserved(24));
        // Every "|" of a day line stands under one of the header's.
        for (size_t i = 0; i < lines[0].size(); ++i) {
            EXPECT_EQ(lines[0][i] == '|', lines[1][i] == '|') << i;
        }
        EXPECT_EQ(lines[32], "[Observer]My Station");
    }
    EXPECT_THROW(rmobMonthTable(list, UtMonth{2024, 13}), std::out_of_range);
}

TEST(rmobStationBlock, SeventeenLinesInOrderWithConvertedValues) {
    StationInfo s = fullStation();
    s.city = "Z\xC3\xBCrich \xE6\x9D\xB1"; // Zürich and a character beyond Latin-1
    const auto block = rmobStationBlock(s);
    ASSERT_EQ(block.size(), 17u);
    for (size_t i = 0; i < 17; ++i) {
        EXPECT_EQ(block[i].compare(0, kLabels[i].size(), kLabels[i]), 0) << block[i];
    }
    EXPECT_EQ(block[2], "[City]Z\xFCrich ?");
    EXPECT_EQ(block[3], "[Longitude]139\xB0"
                        "4530 E");
    EXPECT_EQ(block[4], "[Latitude ]035\xB0"
                        "4120 N");
    EXPECT_EQ(block[5], "[Longitude GMAP]139.7583");
    EXPECT_EQ(block[14], "[Remarks]");
    EXPECT_EQ(block[15], "[Soft FTP]VelkReport 0.12");
    EXPECT_EQ(block[16], "[E]obs@example.org");

    s.longitude = "0.1275 W"; // 0°07'39" W, typed with its hemisphere
    s.latitude = "-33.99999"; // rounds up into the next degree
    s.latitudeGmap = "north";
    const auto south = rmobStationBlock(s);
    EXPECT_EQ(south[3], "[Longitude]000\xB0"
                        "0739 W");
    EXPECT_EQ(south[4], "[Latitude ]034\xB0"
                        "0000 S");
    EXPECT_EQ(south[6], "[Latitude GMAP]");
}

TEST(rmobMonthlyFileName, ObserverNameMadeSafe) {
    const UtMonth jan{2024, 1};
    EXPECT_EQ(rmobMonthlyFileName("MyStation", jan), "MyStation_012024rmob.TXT");
    EXPECT_EQ(rmobMonthlyFileName(" My Station ", UtMonth{1999, 11}), "My_Station_111999rmob.TXT");
    EXPECT_EQ(rmobMonthlyFileName("a/b\\c:d*e", jan), "a_b_c_d_e_012024rmob.TXT");
    EXPECT_EQ(rmobMonthlyFileName("Jos\xC3\xA9", jan), "Jos__012024rmob.TXT");
    EXPECT_EQ(rmobMonthlyFileName("", jan), "unknown_012024rmob.TXT");
    EXPECT_EQ(rmobMonthlyFileName("   ", jan), "unknown_012024rmob.TXT");
}

TEST(rmobMonthlyFiles, OneStrictlyReadableFilePerUtMonth) {
    MonthHours data;
    data.add("2024/03/01 08:00", 40, 60);   // UT Feb 29 23h
    data.add("2024/03/01 09:00", 3, 30);    // UT Mar 1 00h, rate 6
    data.add("2024/03/01 10:00", 3, 10);    // noise
    data.add("2024/03/01 11:00", 6000, 30); // rate 12000, wider than a cell
    const UtHourList list = data.list(-9);
    const auto files = rmobMonthlyFiles(list, fullStation());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].fileName, "My_Station_022024rmob.TXT");
    EXPECT_EQ(files[1].fileName, "My_Station_032024rmob.TXT");
    EXPECT_EQ(files[1].month, (UtMonth{2024, 3}));

    std::string error;
    const auto feb = readUpload(bytesOf(files[0].lines), "feb", 29, error);
    ASSERT_TRUE(feb) << error;
    EXPECT_EQ(feb->days[28][23], 40);
    const auto mar = readUpload(bytesOf(files[1].lines), "mar", 31, error);
    ASSERT_TRUE(mar) << error;
    EXPECT_EQ(mar->days[0][0], 6);
    EXPECT_FALSE(mar->days[0][1]);
    EXPECT_EQ(mar->days[0][2], 12000);
    EXPECT_EQ(mar->blockValues[0], "My Station");
    EXPECT_EQ(mar->blockValues[15], "VelkReport 0.12");

    // One month alone is that month of the whole export; a month without
    // hours has every day and every hour unknown.
    const RmobMonthlyFile march = rmobMonthlyFile(rmobMonthTable(list, {2024, 3}), fullStation());
    EXPECT_EQ(march.fileName, files[1].fileName);
    EXPECT_EQ(march.lines, files[1].lines);
    const RmobMonthlyFile april = rmobMonthlyFile(rmobMonthTable(list, {2024, 4}), fullStation());
    const auto upload = readUpload(bytesOf(april.lines), "apr", 30, error);
    ASSERT_TRUE(upload) << error;
    EXPECT_FALSE(upload->days[0][0]);
    EXPECT_TRUE(rmobMonthlyFiles(MonthHours().list(-9), fullStation()).empty());
}

TEST(StationInfoFile, RoundTripAndTolerantReading) {
    TempDir dir;
    const std::string path = dir.file("velk.station");
    EXPECT_EQ(loadStationInfo(path), StationInfo{}); // missing file: empty, no error

    StationInfo s = fullStation();
    s.remarks = "line one\r\nline two";
    s.city = "T\xC5\x8Dky\xC5\x8D"; // UTF-8 kept byte for byte
    saveStationInfo(path, s);
    StationInfo back = loadStationInfo(path);
    EXPECT_EQ(back.remarks, "line one  line two");
    back.remarks = s.remarks;
    EXPECT_EQ(back, s);

    writeFile(path, "\xEF\xBB\xBFObserver = Far Away \nUnknown=1\nno equals sign\nE=a@b\nE=c@d");
    back = loadStationInfo(path);
    EXPECT_EQ(back.observer, "Far Away");
    EXPECT_EQ(back.email, "c@d");
    EXPECT_EQ(back.country, "");

    EXPECT_THROW(loadStationInfo(dir.path().string()), IoError);
    EXPECT_THROW(saveStationInfo(dir.file("absent/x.station"), s), IoError);
}

TEST(defaultStationFileName, BesideTheSettingsFile) {
    EXPECT_EQ(defaultStationFileName("/opt/velk/velkreport.ini"), "/opt/velk/velkreport.station");
    EXPECT_EQ(defaultStationFileName("/opt/v.d/velkreport"), "/opt/v.d/velkreport.station");
}

TEST(stationWarningText, NamesMissingAndUnreadableFields) {
    EXPECT_EQ(stationWarningText(fullStation()), "");
    const auto missing = missingStationFields(StationInfo{});
    ASSERT_EQ(missing.size(), 15u); // all but Remarks
    EXPECT_EQ(missing.front(), "Observer");
    EXPECT_EQ(missing.back(), "E");

    StationInfo s = fullStation();
    s.country = "  ";
    s.longitude = "139,75";
    s.latitudeGmap = "91";
    EXPECT_EQ(missingStationFields(s), std::vector<std::string>{"Country"});
    EXPECT_EQ(invalidStationFields(s), (std::vector<std::string>{"Longitude", "LatitudeGMAP"}));
    const std::string text = stationWarningText(s);
    EXPECT_NE(text.find(": Country\n"), std::string::npos);
    EXPECT_NE(text.find(": Longitude, LatitudeGMAP\n"), std::string::npos);
    const std::string cp932 = stationWarningTextCp932(s);
    EXPECT_EQ(cp932.find('\n'), std::string::npos);
    EXPECT_NE(cp932.find(": Country\r"), std::string::npos);
}

TEST(stationWarningText, NamesFieldsWithCharactersLatin1CannotHold) {
    StationInfo s = fullStation();
    s.city = "\xE6\x9D\xB1\xE4\xBA\xAC\xE6\x9D\xB1"; // 東京東: each character once
    s.antenna = "Z\xC3\xBCrich";                     // ü is Latin-1
    s.receiver = "FT\xFF";                           // no UTF-8 at all
    s.longitude = "\xE6\x9D\xB1";                    // unreadable, not unwritable
    const auto fields = unwritableStationFields(s);
    ASSERT_EQ(fields.size(), 2u);
    EXPECT_EQ(fields[0].key, "City");
    EXPECT_EQ(fields[0].characters, "\xE6\x9D\xB1\xE4\xBA\xAC");
    EXPECT_EQ(fields[1].key, "Receiver");
    EXPECT_EQ(fields[1].characters, "\xEF\xBF\xBD");
    const std::string text = stationWarningText(s);
    EXPECT_NE(text.find("City (\xE6\x9D\xB1\xE4\xBA\xAC), Receiver ("), std::string::npos);
    EXPECT_NE(text.find("Latin-1"), std::string::npos);
    EXPECT_NE(text.find(": Longitude\n"), std::string::npos);
    s.longitude = fullStation().longitude;
    EXPECT_EQ(stationWarningText(s).find('\n'), std::string::npos); // nothing missing
}

TEST(parseDegrees, FormsObserversTypeWithinTheLimit) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case latitudes[] = {
        {" +35.5 ", 35.5},
        {"-90", -90.0},
        {".5", 0.5},
        {"35.6 N", 35.6},
        {"33.9S", -33.9},
        {"s 33.9", -33.9},
        {"35\xC2\xB0"
         "41'20\"N",
         35 + 41 / 60.0 + 20 / 3600.0},
        {"35 41 20 S", -(35 + 41 / 60.0 + 20 / 3600.0)},
    };
    for (const Case& c : latitudes) {
        const auto got = parseDegrees(c.text, 90, 'N', 'S');
        ASSERT_TRUE(got) << c.text;
        EXPECT_NEAR(*got, c.expected, 1e-9) << c.text;
    }
    EXPECT_NEAR(*parseDegrees("139.7 E", 180, 'E', 'W'), 139.7, 1e-12);
    EXPECT_NEAR(*parseDegrees("W 139.7", 180, 'E', 'W'), -139.7, 1e-12);
    for (const char* bad :
         {"", "-", ".", "90.0001", "1e1", "inf", "nan", "1.2.3", "12 E", "35,5", "-35 S", "35 N 41",
          "35.5 N S", "35 61", "35.5 30", "1 2 3 4", "north"}) {
        EXPECT_FALSE(parseDegrees(bad, 90, 'N', 'S')) << bad;
    }
    EXPECT_FALSE(parseDegrees("1e1", 180, 'E', 'W')); // not 1 deg 1 min east
}
