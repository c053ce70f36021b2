#pragma once

#include <QString>

// Fixed identity of this program and of the device it configures.
inline const QString kSwCode = QStringLiteral("KV40812");
inline const QString kSwVersion = QStringLiteral("1.200");
inline const QString kSwDesc = QStringLiteral("Serial / Modbus Slave - Converter");
inline const QString kMainTitle = QStringLiteral("Norvexa - Configurator KV40812 - Serial / Modbus Slave ");
inline const QString kDocumentCode = QStringLiteral("PL40812");
inline const QString kDefaultIpAddress = QStringLiteral("192.168.2.205");
inline const QString kDefaultLanguage = QStringLiteral("English");

// Workspace entries next to the executable.
inline const QString kMasterFolder = QStringLiteral("MASTER");
inline const QString kProjectsFolder = QStringLiteral("PROJECTS");
inline const QString kLanguageFolder = QStringLiteral("LANGUAGE");
inline const QString kSettingsFile = QStringLiteral("Zentrel.xml");
inline const QString kParGenFile = QStringLiteral("ParGen.xml");
inline const QString kBinFolder = QStringLiteral("bin");
inline const QString kImageFile = QStringLiteral("bank.bin");

// The maker's web server; KV40812_WEB_BASE replaces it (tests point it at 127.0.0.1).
inline const QString kWebBase = QStringLiteral("http://www.norvexa.com");
inline const QString kWebAddressShown = QStringLiteral("www.norvexa.com");

QString webBase();
QString homePageUrl();
QString downloadPageUrl();
