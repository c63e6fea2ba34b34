#pragma once
// The main window's options as kept in the per-user store.

#include <QPoint>
#include <QString>

#include <cstdint>
#include <optional>

class TRegDef;

// The key of the main window's options in the per-user store.
inline const char* const SettingsKey = "\\SOFTWARE\\Sorvenhal\\Orvantis\\Settings";

struct MainSettings {
    bool autoInclude = true;
    int32_t calType = 4;     // code of the "Cal Type" radio button
    int32_t delimitMode = 0; // code of the "ASCII Delimiter" radio button
    QString delimitChar = QStringLiteral(",");
    QString delimitCode = QStringLiteral("32");
    bool transpose = false;
    bool binary = false;
    bool debug = false;
    std::optional<QPoint> topLeft; // none: the window keeps its own position
};

// Reads the settings; a key that cannot be opened gives the defaults above.
MainSettings loadMainSettings();
// Writes every value; a key that cannot be opened writes nothing.
void saveMainSettings(const MainSettings& settings);

// Makes SettingsKey (created when missing) the current key of `reg`; false
// when it cannot be opened, after telling why when the store is at fault.
bool openSettingsKey(TRegDef& reg);
// The same for writing the key's values as one update: one wait for a busy
// store, and every value written or none. finishSettingsUpdate commits it.
bool beginSettingsUpdate(TRegDef& reg);
void finishSettingsUpdate(TRegDef& reg);
