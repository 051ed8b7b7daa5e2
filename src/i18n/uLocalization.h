#pragma once
// The interface language: one program-wide code (2..21, entry i of the flag
// list is code i + 2), its setter, and the font character set of each language.
// Written by the UI thread, read by every catalogue lookup on any thread.

#include <array>
#include <cstdint>
#include <string_view>

namespace lang {

constexpr int French = 2;   // the default when no choice is stored
constexpr int English = 3;  // the catalogue's fallback
constexpr int First = 2;
constexpr int Last = 21;
constexpr int Count = Last - First + 1;

// Font character sets.
constexpr std::uint8_t DefaultCharset = 1;
constexpr std::uint8_t GreekCharset = 161;
constexpr std::uint8_t BalticCharset = 186;
constexpr std::uint8_t RussianCharset = 204;

struct TLanguage {
    int code;
    const char* name;    // English name of the language
    const char* country; // the flag
    const char* locale;  // the language of that country, as locales name it
};

// In flag-list order.
constexpr std::array<TLanguage, Count> kLanguages = {{
    {2, "French", "France", "fr_FR"},           {3, "English", "United Kingdom", "en_GB"},
    {4, "Dutch", "Netherlands", "nl_NL"},       {5, "German", "Germany", "de_DE"},
    {6, "Swedish", "Sweden", "sv_SE"},          {7, "Spanish", "Spain", "es_ES"},
    {8, "Italian", "Italy", "it_IT"},           {9, "Polish", "Poland", "pl_PL"},
    {10, "Danish", "Denmark", "da_DK"},         {11, "Greek", "Greece", "el_GR"},
    {12, "Portuguese", "Portugal", "pt_PT"},    {13, "Finnish", "Finland", "fi_FI"},
    {14, "Czech", "Czech Republic", "cs_CZ"},   {15, "Norwegian", "Norway", "nb_NO"},
    {16, "Hungarian", "Hungary", "hu_HU"},      {17, "Estonian", "Estonia", "et_EE"},
    {18, "Latvian", "Latvia", "lv_LV"},         {19, "Russian", "Russia", "ru_RU"},
    {20, "Lithuanian", "Lithuania", "lt_LT"},   {21, "Slovene", "Slovenia", "sl_SI"},
}};

// The entry of a language code; null for a code outside the flags.
constexpr const TLanguage* FindLanguage(int code)
{
    for (const TLanguage& l : kLanguages)
        if (l.code == code)
            return &l;
    return nullptr;
}

} // namespace lang

// 0 until the start-up sets a language; lookups then answer in English.
int CurrentLanguage();
// Any code is accepted; one without texts answers in English.
void SetCurrentLanguage(int code);
// The interface language of a locale name as the environment gives it
// ("de_AT.UTF-8", "pt", "nn_NO@euro"); 0 for one without texts ("C", "ja_JP").
int LanguageOfLocale(std::string_view locale);
// 11 Greek 161; 17, 18, 20 Baltic 186; 19 Russian 204; any other 1.
std::uint8_t LanguageCharset(int code);
