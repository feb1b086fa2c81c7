// The product's default globals, set by InitializeDefaults: texts, formats and the font and colour
// defaults that the settings store falls back to.
#pragma once

#include "platform/NumberText.h"

#include <cstdint>
#include <string>

namespace vellumo::modMain {

// Every default with its start value (before InitializeDefaults has run); ResetDefaults restores
// this whole set.
struct Defaults {
    std::string gstrStatusText;
    std::string gstrProductName;
    std::string gstrAppTitle;
    std::string gstrUserNameForDb;
    std::string gstrDateFormatLong;
    std::string gstrDateFormatShort;
    std::string gstrTimeFormat;
    std::string gstrDefaultFontName;
    Currency gcurDefaultFontSize;
    std::string gstrDefaultFixedFontName;
    int16_t gintDefaultFixedFontSize = 0;
    int32_t glngDefaultBackColorEdit = 0;
    int32_t glngDefaultBackColorTree = 0;
};

// The run's defaults; each name below is one of its members.
extern Defaults gDefaults;

inline std::string& gstrStatusText = gDefaults.gstrStatusText;
inline std::string& gstrProductName = gDefaults.gstrProductName;
inline std::string& gstrAppTitle = gDefaults.gstrAppTitle;
inline std::string& gstrUserNameForDb = gDefaults.gstrUserNameForDb;
inline std::string& gstrDateFormatLong = gDefaults.gstrDateFormatLong;
inline std::string& gstrDateFormatShort = gDefaults.gstrDateFormatShort;
inline std::string& gstrTimeFormat = gDefaults.gstrTimeFormat;
inline std::string& gstrDefaultFontName = gDefaults.gstrDefaultFontName;
inline Currency& gcurDefaultFontSize = gDefaults.gcurDefaultFontSize;
inline std::string& gstrDefaultFixedFontName = gDefaults.gstrDefaultFixedFontName;
inline int16_t& gintDefaultFixedFontSize = gDefaults.gintDefaultFixedFontSize;
inline int32_t& glngDefaultBackColorEdit = gDefaults.glngDefaultBackColorEdit;
inline int32_t& glngDefaultBackColorTree = gDefaults.glngDefaultBackColorTree;

// Restores the start values.
void ResetDefaults();

} // namespace vellumo::modMain
