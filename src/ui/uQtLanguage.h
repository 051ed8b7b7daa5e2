#pragma once
// Qt's own texts in the interface language: the folder chooser, the standard
// buttons, the calendar's month and day names, the text boxes' menu. Qt's
// translation of the language when the system has one (Debian's
// qt6-translations-l10n); the catalogue's texts for the few that a user of
// this program meets where Qt has none, or where its translation is missing.

#include <QLocale>

// Switches Qt's texts and the default locale to the interface language; a
// code outside the flags gives Qt's own English.
void ApplyQtLanguage(int code);

// The locale of an interface language (C for a code outside the flags).
QLocale LanguageLocale(int code);
// The language's own name, as its speakers write it ("Deutsch", "Ελληνικά").
QString NativeLanguageName(int code);
