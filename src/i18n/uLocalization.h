#pragma once
// The interface language: one program-wide code (2..21, entry i of the flag
// list is code i + 2), its setter, and the font character set of each language.
// Written by the UI thread, read by every catalogue lookup on any thread.

#include <array>
#include <cstdint>

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
};

// In flag-list order.
constexpr std::array<TLanguage, Count> kLanguages = {{
    {2, "French", "France"},          {3, "English", "United Kingdom"}, {4, "Dutch", "Netherlands"},
    {5, "German", "Germany"},         {6, "Swedish", "Sweden"},         {7, "Spanish", "Spain"},
    {8, "Italian", "Italy"},          {9, "Polish", "Poland"},          {10, "Danish", "Denmark"},
    {11, "Greek", "Greece"},          {12, "Portuguese", "Portugal"},   {13, "Finnish", "Finland"},
    {14, "Czech", "Czech Republic"},  {15, "Norwegian", "Norway"},      {16, "Hungarian", "Hungary"},
    {17, "Estonian", "Estonia"},      {18, "Latvian", "Latvia"},        {19, "Russian", "Russia"},
    {20, "Lithuanian", "Lithuania"},  {21, "Slovene", "Slovenia"},
}};

} // namespace lang

// 0 until the start-up sets a language; lookups then answer in English.
int CurrentLanguage();
// Any code is accepted; one without texts answers in English.
void SetCurrentLanguage(int code);
// 11 Greek 161; 17, 18, 20 Baltic 186; 19 Russian 204; any other 1.
std::uint8_t LanguageCharset(int code);
