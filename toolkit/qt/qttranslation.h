#pragma once

class QLocale;

// Qt's own texts (message box and file dialog buttons, the edit fields' context menus)
// in the program's language. The translation is read the first time one of them is about
// to be built, not at start: most sessions never show one.

// Names the language; reads nothing yet.
void SetQtTranslationLocale(const QLocale& Locale);

// Reads and installs the translation once, if a language was named and Qt ships it.
// Called before building a dialog or a context menu of Qt's own.
void LoadQtTranslation();
