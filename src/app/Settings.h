#pragma once

#include <QByteArray>
#include <QString>

struct AppState;

// The settings file, Zentrel.xml in the workspace.
QString settingsFilePath(const AppState &state);

// Sets the seven stored values from a settings document, each with its own fall-back.
// A document that cannot be parsed leaves every fall-back in place and returns false.
bool parseSettings(AppState &state, const QByteArray &data, const QString &path, QString *error);

// Reads the settings file when it exists; every value starts from its fall-back.
bool readSettings(AppState &state, QString *error);

// The settings document as Save_Setting writes it.
QByteArray settingsDocument(const AppState &state);

// Writes the settings file from the state; a file there that did not read is kept first.
bool Save_Setting(const AppState &state, QString *error);
