#include "app/Settings.h"

#include "core/AppState.h"
#include "core/Constants.h"
#include "core/FileIO.h"
#include "core/Paths.h"
#include "core/XmlLookup.h"

#include <QDomDocument>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {
bool flagValue(const QDomNode &group, const QString &name)
{
    return leafText(group, name).value_or(QString()) == u"1";
}

QString flagText(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}
} // namespace

QString settingsFilePath(const AppState &state)
{
    return joinPath(state.Dir_Exe, kSettingsFile);
}

bool parseSettings(AppState &state, const QByteArray &data, const QString &path, QString *error)
{
    setSettingsFallbacks(state);
    QDomDocument doc;
    if (!parseXml(data, path, &doc, error))
        return false;

    // The first node is the settings element whatever its name; each read stands on its own.
    const QDomNode root = firstNode(doc);
    state.Project_Name = leafText(root.firstChildElement(u"lastproj"_s), u"projectname"_s).value_or(QString());
    state.Device_IP_Address = leafText(root.firstChildElement(u"lastipadd"_s), u"ipaddress"_s)
                                  .value_or(kDefaultIpAddress);
    state.Language_Name = leafText(root.firstChildElement(u"lastlang"_s), u"language"_s)
                              .value_or(kDefaultLanguage);
    const QDomElement internet = root.firstChildElement(u"lastinternet"_s);
    state.Enable_Internet = flagValue(internet, u"enable_internet"_s);
    state.Enable_Update = flagValue(internet, u"enable_update"_s);
    state.Jump_Field_Tables = flagValue(internet, u"enable_jump_field_tables"_s);
    state.Auto_Size_Columns = flagValue(internet, u"Double_Click_Auto_Size"_s);
    return true;
}

bool readSettings(AppState &state, QString *error)
{
    setSettingsFallbacks(state);
    const QString path = settingsFilePath(state);
    if (!QFileInfo::exists(path))
        return true;
    QByteArray data;
    if (!readWholeFile(path, &data, error))
        return false;
    return parseSettings(state, data, path, error);
}

namespace {
QDomDocument settingsXml(const AppState &state)
{
    QDomDocument doc = newXmlDocument();
    QDomElement root = appendElement(doc, doc, u"Conf_Settings"_s);
    appendLeaf(doc, appendElement(doc, root, u"lastproj"_s), u"projectname"_s, state.Project_Name);
    appendLeaf(doc, appendElement(doc, root, u"lastipadd"_s), u"ipaddress"_s, state.Device_IP_Address);
    appendLeaf(doc, appendElement(doc, root, u"lastlang"_s), u"language"_s, state.Language_Name);
    QDomElement internet = appendElement(doc, root, u"lastinternet"_s);
    appendLeaf(doc, internet, u"enable_internet"_s, flagText(state.Enable_Internet));
    appendLeaf(doc, internet, u"enable_update"_s, flagText(state.Enable_Update));
    appendLeaf(doc, internet, u"enable_jump_field_tables"_s, flagText(state.Jump_Field_Tables));
    appendLeaf(doc, internet, u"Double_Click_Auto_Size"_s, flagText(state.Auto_Size_Columns));
    return doc;
}
} // namespace

QByteArray settingsDocument(const AppState &state)
{
    return settingsXml(state).toByteArray(-1);
}

bool Save_Setting(const AppState &state, QString *error)
{
    return replaceXmlFile(settingsFilePath(state), settingsXml(state), error);
}
