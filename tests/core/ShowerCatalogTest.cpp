#include "activity/ShowerCatalog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

TEST(ParseShowerCatalog, TheShippedList) {
    const auto file = findShowerCatalogFile(VELK_DATA_DIR);
    ASSERT_TRUE(file);
    const std::vector<Shower> list = loadShowerCatalog(*file);
    ASSERT_EQ(list.size(), 26u);
    const Shower* qua = findShower(list, "QUA");
    ASSERT_TRUE(qua);
    EXPECT_TRUE(qua->crossesNewYear());
    const Shower* gem = findShower(list, "GEM");
    ASSERT_TRUE(gem);
    EXPECT_FALSE(gem->crossesNewYear());
    EXPECT_EQ(gem->start, (MonthDay{12, 4}));
    EXPECT_DOUBLE_EQ(gem->peakSolarLongitude, 262.2);
    EXPECT_DOUBLE_EQ(gem->rightAscensionDrift, 1.0);
    EXPECT_FALSE(findShower(list, "AMO")->zhr); // listed as variable
    EXPECT_TRUE(findShower(list, "ARI")->daytime);
}

TEST(ParseShowerCatalog, RefusesBrokenLinesNamingThem) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "no header"},
        {"code,start,end,ra,dec\n", "no column 'peak_solar_longitude'"},
        {"code,start,end,peak_solar_longitude,ra,dec\nGEM,12-4x,12-20,262,112,33\n",
         "line 2: column start"},
        {"code,start,end,peak_solar_longitude,ra,dec\nGEM,02-30,12-20,262,112,33\n",
         "column start"},
        {"code,start,end,peak_solar_longitude,ra,dec\n,12-04,12-20,262,112,33\n", "no code"},
        {"code,start,end,peak_solar_longitude,ra,dec\nGEM,12-04,12-20,262,abc,33\n", "column ra"},
        {"code,start,end,peak_solar_longitude,ra,dec\nGEM,12-04,12-20,400,112,33\n",
         "out of range"},
    };
    for (const Case& c : cases) {
        try {
            parseShowerCatalog(std::string(c.text), "mine.csv");
            ADD_FAILURE() << c.text;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("mine.csv"), std::string::npos) << e.what();
        }
    }
}

TEST(MergeShowerCatalogs, UserFileReplacesByCodeAndAdds) {
    const auto base =
        parseShowerCatalog(std::string("code,name,start,end,peak_solar_longitude,ra,dec\n"
                                       "GEM,Geminids,12-04,12-20,262.2,112,33\n"
                                       "URS,Ursids,12-17,12-26,270.7,217,76\n"),
                           "base");
    // Columns in another order, comments and blank lines.
    const auto mine =
        parseShowerCatalog(std::string("# my list\n\ndec,ra,peak_solar_longitude,end,start,code\n"
                                       "32,113,262.3,12-19,12-07,GEM\n"
                                       "10,20,100,06-01,05-20,XYZ\n"),
                           "mine");
    const auto merged = mergeShowerCatalogs(base, mine);
    ASSERT_EQ(merged.size(), 3u);
    EXPECT_EQ(merged[0].code, "GEM");
    EXPECT_DOUBLE_EQ(merged[0].peakSolarLongitude, 262.3);
    EXPECT_EQ(merged[0].start, (MonthDay{12, 7}));
    EXPECT_EQ(merged[1].code, "URS");
    EXPECT_EQ(merged[2].code, "XYZ");
    EXPECT_EQ(merged[2].name, "XYZ");
}

TEST(FindShowerCatalogFile, BesideTheProgramFirst) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "velk-showers-find";
    fs::remove_all(dir);
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "share" / "velkreport");
    std::ofstream(dir / "share" / "velkreport" / "showers.csv") << "x";
    EXPECT_EQ(*findShowerCatalogFile(dir / "bin"), (dir / "share" / "velkreport" / "showers.csv"));
    std::ofstream(dir / "bin" / "showers.csv") << "x";
    EXPECT_EQ(*findShowerCatalogFile(dir / "bin"), dir / "bin" / "showers.csv");
    fs::remove_all(dir);
}
