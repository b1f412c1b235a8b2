#pragma once
// Program-wide constants: version texts and the names of the output files.

constexpr bool DebugMode = false; // build-time switch: shows the debug menu

inline constexpr const char* kAppTitle = "VelkReport";
inline constexpr const char* kMainCaption = "VelkReport Vertion 0.12";
inline constexpr const char* kAboutVersion = "Version 0.12";
inline constexpr const char* kCliVersion = "VelkReport 0.12";

inline constexpr const char* kDefaultDataFile = "velkdata.csv";
inline constexpr const char* kTenMinuteTableFile = "report10.csv";
inline constexpr const char* kHourTableFile = "report60.csv";
inline constexpr const char* kReportTextFile = "velkreport.txt";
inline constexpr const char* kRmobFile = "rmob.txt";
inline constexpr const char* kNoObsFile = "NoObsList.txt";
