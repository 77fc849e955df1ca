#pragma once

#include "toolkit/core/classes.h"

#include <QString>
#include <QStringList>

#include <functional>

// The file-open dialog. Filter holds alternating descriptions and patterns separated by
// "|" ("mp3|*.mp3|wav|*.wav"); FilterIndex counts the entries from 1.
class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* AOwner);

    QString Filter;
    int FilterIndex = 1;
    QString FileName;
    QString Title;

    // Runs the dialog; true and FileName set to the chosen file's full path when the user
    // confirms, false on cancel.
    bool Execute();

    // The Qt name filters for Filter, and which of them is selected.
    QStringList NameFilters() const;

    // Replaces the dialog in tests: given the dialog, returns the chosen path or an empty
    // text for a cancel.
    static std::function<QString(TOpenDialog&)> Runner;
};
