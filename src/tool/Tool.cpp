#include "tool/Tool.h"

#include "app/AppState.h"
#include "app/Comon.h"
#include "app/Constants.h"
#include "i18n/Language.h"
#include "i18n/VersionCheck.h"
#include "app/FileIO.h"
#include "app/Workspace.h"
#include "params/ConfigImage.h"
#include "params/IntegerConversion.h"
#include "params/ParameterFile.h"
#include "params/Validation.h"
#include "projects/Configurations.h"
#include "update/UpdateJob.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QTextStream>

#include <functional>
#include <map>

namespace {

const QChar kPilcrow(0x00B6);

const char kUsage[] = R"(Usage: kv40812-tool [--workspace DIR] [--language NAME] COMMAND [ARGUMENTS]

Commands:
  new NAME                       create a configuration under PROJECTS
  list                           print the configurations, one a line
  show PROJECT                   print the 33 parameters as KEY=VALUE
  set PROJECT KEY=VALUE...       change parameters, check them and save
  validate PROJECT|FILE          check a configuration's parameters
  image PROJECT [--output FILE]  compose the configuration image (default PROJECT/bin/bank.bin)
  image --input FILE --output FILE
                                 compose the image of a loose parameter file
  inspect IMAGE [--json]         decode and check a configuration image
  job PROJECT --ip A.B.C.D --option 0|1|2 [--read-back]
                                 write the update job Ethernet_Update.xml
  texts                          print the text table as a language file
  check-version                  ask the maker's server for a newer version

PROJECT is a configuration's name in the workspace, or the path of its folder.
--workspace defaults to the configurator's own workspace; --language takes the
texts of messages from LANGUAGE/NAME.lng.
Exit codes: 0 done, 1 refused (a rule, a name, a bad image), 2 wrong usage or a
file that cannot be read or written.
)";

// A command line split into its command, its plain arguments and its options.
struct CommandLine {
    QString command;
    QStringList arguments;
    QMap<QString, QString> options; // "--ip" -> "127.0.0.1"; flags map to an empty text
    bool help = false;
};

struct UsageError {
    QString message;
};

const QStringList kOptionsWithValue = {QStringLiteral("--workspace"), QStringLiteral("--language"),
                                       QStringLiteral("--output"), QStringLiteral("--input"),
                                       QStringLiteral("--ip"), QStringLiteral("--option")};
const QStringList kFlags = {QStringLiteral("--json"), QStringLiteral("--read-back"), QStringLiteral("--help"),
                            QStringLiteral("-h")};

CommandLine parse(const QStringList &arguments)
{
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == u"--help" || arg == u"-h") {
            line.help = true;
        } else if (kOptionsWithValue.contains(arg)) {
            if (i + 1 >= arguments.size())
                throw UsageError{arg + QStringLiteral(" needs a value")};
            line.options.insert(arg, arguments.at(++i));
        } else if (kFlags.contains(arg)) {
            line.options.insert(arg, QString());
        } else if (arg.startsWith(u"--") && arg.contains(u'=')
                   && kOptionsWithValue.contains(arg.left(arg.indexOf(u'=')))) {
            line.options.insert(arg.left(arg.indexOf(u'=')), arg.mid(arg.indexOf(u'=') + 1));
        } else if (arg.startsWith(u"--")) {
            throw UsageError{QStringLiteral("unknown option ") + arg};
        } else if (line.command.isEmpty()) {
            line.command = arg;
        } else {
            line.arguments << arg;
        }
    }
    return line;
}

class Tool {
public:
    Tool(const CommandLine &line, const QString &executableDir, QTextStream &out, QTextStream &err)
        : m_line(line), m_out(out), m_err(err), m_executableDir(executableDir)
    {
        QStringList forResolve{QString()};
        if (line.options.contains(QStringLiteral("--workspace")))
            forResolve << QStringLiteral("--workspace") << line.options.value(QStringLiteral("--workspace"));
        setWorkspace(m_state, resolveWorkspace(forResolve, executableDir));
        Set_Default_Lang(m_state.Text_Table);
    }

    int run();

private:
    int fail(int code, const QString &message)
    {
        m_err << "kv40812-tool: " << message << Qt::endl;
        return code;
    }
    void expectArguments(qsizetype count, const char *what) const
    {
        if (m_line.arguments.size() != count)
            throw UsageError{QStringLiteral("%1 takes %2").arg(m_line.command, QString::fromLatin1(what))};
    }
    bool loadLanguage(QString *error);
    QString projectFolder(const QString &project) const;

    int cmdNew();
    int cmdList();
    int cmdJob();
    int cmdTexts();
    int cmdCheckVersion();
    int cmdImage();
    int cmdInspect();
    int cmdShow();
    int cmdSet();
    int cmdValidate();
    QString parameterFileOf(const QString &projectOrFile) const;
    bool loadValues(const QString &path, ParameterValues *values);
    bool applyAssignment(ParameterValues &values, const QString &assignment, QString *error) const;

    const CommandLine &m_line;
    QTextStream &m_out;
    QTextStream &m_err;
    AppState m_state;
    QString m_executableDir;
};

bool Tool::loadLanguage(QString *error)
{
    if (!m_line.options.contains(QStringLiteral("--language")))
        return true;
    const QString path = languageFilePath(m_state, m_line.options.value(QStringLiteral("--language")));
    if (!QFileInfo(path).isFile()) {
        *error = QDir::toNativeSeparators(path) + QStringLiteral(": no such language file");
        return false;
    }
    return Read_Lang_File(m_state.Text_Table, path, error);
}

// A configuration's name in the workspace, or the path of its folder.
QString Tool::projectFolder(const QString &project) const
{
    const QString inWorkspace = joinPath(m_state.Dir_Projects, project);
    if (isSafeConfigurationName(project) && QFileInfo(inWorkspace).isDir())
        return inWorkspace;
    if (QFileInfo(project).isDir())
        return QDir(project).absolutePath();
    throw UsageError{QStringLiteral("no configuration \"%1\" in %2 and no such folder")
                         .arg(project, QDir::toNativeSeparators(m_state.Dir_Projects))};
}

int Tool::run()
{
    const std::map<QString, std::function<int()>> commands = {
        {QStringLiteral("new"), [this] { return cmdNew(); }},
        {QStringLiteral("list"), [this] { return cmdList(); }},
        {QStringLiteral("job"), [this] { return cmdJob(); }},
        {QStringLiteral("texts"), [this] { return cmdTexts(); }},
        {QStringLiteral("check-version"), [this] { return cmdCheckVersion(); }},
        {QStringLiteral("image"), [this] { return cmdImage(); }},
        {QStringLiteral("inspect"), [this] { return cmdInspect(); }},
        {QStringLiteral("show"), [this] { return cmdShow(); }},
        {QStringLiteral("set"), [this] { return cmdSet(); }},
        {QStringLiteral("validate"), [this] { return cmdValidate(); }},
    };
    if (m_line.help) {
        m_out << kUsage;
        return kExitOk;
    }
    if (m_line.command.isEmpty())
        throw UsageError{QStringLiteral("no command given (try --help)")};
    const auto command = commands.find(m_line.command);
    if (command == commands.end())
        throw UsageError{QStringLiteral("unknown command \"%1\" (try --help)").arg(m_line.command)};
    QString error;
    if (!loadLanguage(&error))
        return fail(kExitUsage, error);
    return command->second();
}

int Tool::cmdNew()
{
    expectArguments(1, "one configuration name");
    QDir().mkpath(m_state.Dir_Exe); // a new workspace, as the configurator makes it
    createWorkspaceFolders(m_state);
    QString copyError;
    if (!copyShippedLanguages(shippedLanguagesFolder(m_executableDir), m_state.Dir_Language, &copyError))
        m_err << "kv40812-tool: warning: " << copyError << Qt::endl;
    const NewConfigurationResult result = createConfiguration(m_state.Dir_Projects, m_line.arguments.first());
    if (result != NewConfigurationResult::Created)
        return fail(kExitRefused, m_state.text(messageIndex(result)));
    m_out << QDir::toNativeSeparators(joinPath(m_state.Dir_Projects, m_line.arguments.first())) << Qt::endl;
    return kExitOk;
}

int Tool::cmdList()
{
    expectArguments(0, "no arguments");
    for (const QString &name : Load_Existing_Configuration(m_state.Dir_Projects))
        m_out << name << Qt::endl;
    return kExitOk;
}

int Tool::cmdJob()
{
    expectArguments(1, "one configuration");
    if (!m_line.options.contains(QStringLiteral("--ip")) || !m_line.options.contains(QStringLiteral("--option")))
        throw UsageError{QStringLiteral("job needs --ip A.B.C.D and --option 0|1|2")};
    UpdateJob job;
    job.projectDir = projectFolder(m_line.arguments.first());
    job.dirMaster = m_state.Dir_Master;
    job.readBack = m_line.options.contains(QStringLiteral("--read-back"));
    const QString option = m_line.options.value(QStringLiteral("--option"));
    if (option != u"0" && option != u"1" && option != u"2")
        throw UsageError{QStringLiteral("--option is 0 (firmware + configuration), 1 (firmware) or 2 (configuration)")};
    job.option = option.toInt();
    // The address as the update window holds it: four fields joined by dots, each as typed.
    const QString ip = m_line.options.value(QStringLiteral("--ip"));
    job.addressParts = ip.split(u'.');
    QString a, b, c, d;
    if (job.addressParts.size() != 4 || !Split_IP_Address(ip, a, b, c, d))
        return fail(kExitRefused, QStringLiteral("\"%1\" is not an IPv4 address A.B.C.D").arg(ip));
    QString error;
    if (!writeUpdateJob(m_state.Dir_Exe, job, &error))
        return fail(kExitUsage, error);
    m_out << QDir::toNativeSeparators(updateJobPath(m_state.Dir_Exe)) << Qt::endl;
    return kExitOk;
}

int Tool::cmdTexts()
{
    expectArguments(0, "no arguments");
    // A byte-order mark, so that the output is a UTF-8 language file as it stands.
    m_out << QChar(0xFEFF);
    const QStringList &entries = m_state.Text_Table.entries;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString &text = entries.at(i);
        // Pilcrows keep blanks at either end, and an empty text, when the file is read back.
        const bool wrap = text.isEmpty() || text.front().unicode() <= 32 || text.back().unicode() <= 32;
        m_out << "STR" << i << " = " << (wrap ? kPilcrow + text + kPilcrow : text) << '\n';
    }
    return kExitOk;
}

// A configuration's ParGen.xml, or a parameter file named directly.
QString Tool::parameterFileOf(const QString &projectOrFile) const
{
    if (QFileInfo(projectOrFile).isFile())
        return projectOrFile;
    return joinPath(projectFolder(projectOrFile), kParGenFile);
}

// Loads as the editor does; a file that cannot be read or parsed is reported, not replaced.
bool Tool::loadValues(const QString &path, ParameterValues *values)
{
    QString error;
    if (loadParameterFile(path, values, &error))
        return true;
    fail(kExitUsage, error);
    return false;
}

bool Tool::applyAssignment(ParameterValues &values, const QString &assignment, QString *error) const
{
    const qsizetype equals = assignment.indexOf(u'=');
    const ParameterDef *def = equals > 0 ? findParameter(assignment.left(equals)) : nullptr;
    if (!def) {
        QStringList keys;
        for (const ParameterDef &p : parameterSet())
            keys << p.key;
        *error = QStringLiteral("unknown parameter \"%1\"; the parameters are: %2")
                     .arg(assignment.left(equals), keys.join(QStringLiteral(", ")));
        return false;
    }
    const QString value = assignment.mid(equals + 1);
    switch (def->kind) {
    case ParameterKind::Number:
        values[def->id] = value;
        return true;
    case ParameterKind::Flag:
        if (value != u"0" && value != u"1") {
            *error = QStringLiteral("%1 is a flag: 1 or 0").arg(def->key);
            return false;
        }
        values[def->id] = value;
        return true;
    case ParameterKind::Choice: {
        QStringList items = def->items;
        for (const int index : def->itemTexts)
            items << m_state.text(index);
        qsizetype index = items.indexOf(value);
        if (index < 0) {
            const std::optional<qint32> number = toInteger(value);
            if (number && *number >= 0 && *number < items.size())
                index = *number;
        }
        if (index < 0) {
            QStringList choices;
            for (qsizetype i = 0; i < items.size(); ++i)
                choices << QStringLiteral("%1 (%2)").arg(i).arg(items.at(i));
            *error = QStringLiteral("%1 takes one of: %2").arg(def->key, choices.join(QStringLiteral(", ")));
            return false;
        }
        values[def->id] = QString::number(index);
        return true;
    }
    }
    return false;
}

int Tool::cmdShow()
{
    expectArguments(1, "one configuration");
    ParameterValues values;
    if (!loadValues(parameterFileOf(m_line.arguments.first()), &values))
        return kExitUsage;
    for (const ParameterDef &def : parameterSet())
        m_out << def.key << '=' << values[def.id] << Qt::endl;
    return kExitOk;
}

int Tool::cmdSet()
{
    if (m_line.arguments.size() < 2)
        throw UsageError{QStringLiteral("set takes a configuration and KEY=VALUE pairs")};
    const QString path = joinPath(projectFolder(m_line.arguments.first()), kParGenFile);
    ParameterValues values;
    if (!loadValues(path, &values))
        return kExitUsage;
    for (const QString &assignment : m_line.arguments.mid(1)) {
        QString error;
        if (!applyAssignment(values, assignment, &error))
            return fail(kExitUsage, error);
    }
    if (const std::optional<int> broken = firstBrokenRule(values))
        return fail(kExitRefused, m_state.text(*broken));
    QString error;
    if (!saveParameterFile(path, values, &error))
        return fail(kExitUsage, error);
    return kExitOk;
}

int Tool::cmdValidate()
{
    expectArguments(1, "one configuration or parameter file");
    ParameterValues values;
    if (!loadValues(parameterFileOf(m_line.arguments.first()), &values))
        return kExitUsage;
    if (const std::optional<int> broken = firstBrokenRule(values)) {
        m_out << m_state.text(*broken) << Qt::endl;
        return kExitRefused;
    }
    m_out << "OK" << Qt::endl;
    return kExitOk;
}

int Tool::cmdImage()
{
    const QString output = m_line.options.value(QStringLiteral("--output"));
    QString error;
    QByteArray image;
    if (m_line.options.contains(QStringLiteral("--input"))) {
        // A loose parameter file: no configuration involved.
        expectArguments(0, "no configuration with --input");
        if (output.isEmpty())
            throw UsageError{QStringLiteral("image --input needs --output FILE")};
        const QString input = m_line.options.value(QStringLiteral("--input"));
        QByteArray parGen;
        if (!readWholeFile(input, &parGen, &error) || !composeImage(parGen, input, &image, &error))
            return fail(kExitUsage, error);
    } else {
        expectArguments(1, "one configuration");
        // Exactly as Update Device composes it.
        m_state.Project_Dir = projectFolder(m_line.arguments.first());
        Set_Files(m_state);
        if (!Compose_Image(m_state, &error))
            return fail(kExitUsage, error);
        image = m_state.Image_Buffer.left(m_state.Image_Length);
    }
    const QString target = output.isEmpty() ? imageFilePath(m_state) : output;
    if (!writeFileAtomic(target, image, &error))
        return fail(kExitUsage, error);
    m_out << QDir::toNativeSeparators(target) << Qt::endl;
    return kExitOk;
}

namespace {
QString dotted(const quint8 (&bytes)[4])
{
    return QStringLiteral("%1.%2.%3.%4").arg(bytes[0]).arg(bytes[1]).arg(bytes[2]).arg(bytes[3]);
}

QString parityName(qint16 parity)
{
    switch (parity) {
    case 0:
        return QStringLiteral("NONE");
    case 1:
        return QStringLiteral("ODD");
    case 2:
        return QStringLiteral("EVEN");
    default:
        return QStringLiteral("unknown");
    }
}

QJsonObject portJson(const PortBlock &port, const QString &usedBy)
{
    return QJsonObject{{QStringLiteral("Baud"), port.Baud},
                       {QStringLiteral("Data_Bits"), port.Data_Bits},
                       {QStringLiteral("Parity"), port.Parity},
                       {QStringLiteral("Parity_Name"), parityName(port.Parity)},
                       {QStringLiteral("Stop_Bits"), port.Stop_Bits},
                       {QStringLiteral("Used_By"), usedBy}};
}

QStringList serialFlagNames(qint32 flags)
{
    const std::pair<qint32, const char *> names[] = {
        {1, "RS232"}, {2, "End Character"}, {4, "Num Bytes on Control Word"}, {8, "Fix Num Bytes"}};
    QStringList out;
    for (const auto &[bit, name] : names) {
        if (flags & bit)
            out << QString::fromLatin1(name);
    }
    if (flags & ~0xF)
        out << QStringLiteral("unknown bits 0x%1").arg(quint32(flags & ~0xF), 8, 16, QLatin1Char('0')).toUpper();
    return out;
}
} // namespace

int Tool::cmdInspect()
{
    expectArguments(1, "one image file");
    QByteArray bytes;
    QString error;
    if (!readWholeFile(m_line.arguments.first(), &bytes, &error))
        return fail(kExitUsage, error);
    Config_Image image;
    quint32 stored = 0;
    quint32 computed = 0;
    if (!Parse_Image(bytes, &image, &stored, &computed))
        return fail(kExitRefused, QStringLiteral("wrong size: expected %1 bytes, found %2").arg(kImageSize).arg(bytes.size()));

    const bool serialRS232 = image.Serial_Flags & 1;
    const bool modbusRS232 = image.ModbusSlave_Port_Code == 0x41;
    const auto usedBy = [&](bool serial, bool modbus) {
        QStringList sides;
        if (serial)
            sides << QStringLiteral("Serial");
        if (modbus)
            sides << QStringLiteral("Modbus Slave");
        return sides.isEmpty() ? QStringLiteral("none") : sides.join(QStringLiteral(" + "));
    };
    const QJsonObject ports{
        {QStringLiteral("RS232_Port"), portJson(image.RS232_Port, usedBy(serialRS232, modbusRS232))},
        {QStringLiteral("Modbus_RS485_Port"), portJson(image.Modbus_RS485_Port, usedBy(false, !modbusRS232))},
        {QStringLiteral("Serial_RS485_Port"), portJson(image.Serial_RS485_Port, usedBy(!serialRS232, false))}};
    const QJsonObject decoded{
        {QStringLiteral("Size"), qint64(bytes.size())},
        {QStringLiteral("Checksum"), qint64(stored)},
        {QStringLiteral("Checksum_Computed"), qint64(computed)},
        {QStringLiteral("Checksum_OK"), stored == computed},
        {QStringLiteral("Ports"), ports},
        {QStringLiteral("Serial_Side"), serialRS232 ? QStringLiteral("RS232") : QStringLiteral("RS485/RS422")},
        {QStringLiteral("Serial_Flags"), image.Serial_Flags},
        {QStringLiteral("Serial_Flag_Names"), QJsonArray::fromStringList(serialFlagNames(image.Serial_Flags))},
        {QStringLiteral("Serial_End_Char"), image.Serial_End_Char},
        {QStringLiteral("Serial_Num_Byte"), image.Serial_Num_Byte},
        {QStringLiteral("Serial_TimeOut_RX"), image.Serial_TimeOut_RX},
        {QStringLiteral("Serial_Time_Wait_RX"), image.Serial_Time_Wait_RX},
        {QStringLiteral("ModbusSlave_Side"), modbusRS232 ? QStringLiteral("RS232") : QStringLiteral("RS485")},
        {QStringLiteral("ModbusSlave_Port_Code"), image.ModbusSlave_Port_Code},
        {QStringLiteral("ModbusSlave_ID"), image.ModbusSlave_ID},
        {QStringLiteral("ModbusSlave_Start_Read"), image.ModbusSlave_Start_Read},
        {QStringLiteral("ModbusSlave_Start_Write"), image.ModbusSlave_Start_Write},
        {QStringLiteral("ModbusSlave_Control_Word"), image.ModbusSlave_Control_Word},
        {QStringLiteral("ModbusSlave_Status_Word"), image.ModbusSlave_Status_Word},
        {QStringLiteral("ModbusSlave_NumByteRX"), image.ModbusSlave_NumByteRX},
        {QStringLiteral("IP_Address"), dotted(image.IP_Address)},
        {QStringLiteral("Subnet_Mask"), dotted(image.Subnet_Mask)},
        {QStringLiteral("Gateway"), dotted(image.Gateway)},
    };

    if (m_line.options.contains(QStringLiteral("--json"))) {
        m_out << QJsonDocument(decoded).toJson(QJsonDocument::Indented);
    } else {
        m_out << "Checksum: " << stored << (stored == computed ? " (correct)" : " (wrong)") << Qt::endl;
        m_out << "Serial: " << decoded[QStringLiteral("Serial_Side")].toString() << ", flags 0x"
              << QString::number(image.Serial_Flags, 16).toUpper() << " ("
              << serialFlagNames(image.Serial_Flags).join(QStringLiteral(", ")) << ")" << Qt::endl;
        m_out << "  Serial_End_Char: " << image.Serial_End_Char << ", Serial_Num_Byte: " << image.Serial_Num_Byte
              << ", Serial_TimeOut_RX: " << image.Serial_TimeOut_RX
              << ", Serial_Time_Wait_RX: " << image.Serial_Time_Wait_RX << Qt::endl;
        m_out << "Modbus Slave: " << decoded[QStringLiteral("ModbusSlave_Side")].toString() << ", port code 0x"
              << QString::number(image.ModbusSlave_Port_Code, 16).toUpper() << Qt::endl;
        m_out << "  ID: " << image.ModbusSlave_ID << ", Start_Read: " << image.ModbusSlave_Start_Read
              << ", Start_Write: " << image.ModbusSlave_Start_Write << ", Control_Word: "
              << image.ModbusSlave_Control_Word << ", Status_Word: " << image.ModbusSlave_Status_Word
              << ", NumByteRX: " << image.ModbusSlave_NumByteRX << Qt::endl;
        for (const QString &name : {QStringLiteral("RS232_Port"), QStringLiteral("Serial_RS485_Port"),
                                    QStringLiteral("Modbus_RS485_Port")}) {
            const QJsonObject port = ports[name].toObject();
            m_out << name << ": " << port[QStringLiteral("Baud")].toInt() << " baud, "
                  << port[QStringLiteral("Data_Bits")].toInt() << " data bits, parity "
                  << port[QStringLiteral("Parity_Name")].toString() << ", stop bits "
                  << port[QStringLiteral("Stop_Bits")].toInt() << " (used by "
                  << port[QStringLiteral("Used_By")].toString() << ")" << Qt::endl;
        }
        m_out << "IP_Address: " << dotted(image.IP_Address) << Qt::endl;
        m_out << "Subnet_Mask: " << dotted(image.Subnet_Mask) << Qt::endl;
        m_out << "Gateway: " << dotted(image.Gateway) << Qt::endl;
    }
    if (stored != computed)
        return fail(kExitRefused, QStringLiteral("wrong checksum: expected %1, found %2").arg(computed).arg(stored));
    return kExitOk;
}

int Tool::cmdCheckVersion()
{
    expectArguments(0, "no arguments");
    m_out << (Check_Version() ? "newer" : "not newer") << Qt::endl;
    return kExitOk;
}

} // namespace

int runTool(const QStringList &arguments, const QString &executableDir, QTextStream &out, QTextStream &err)
{
    try {
        const CommandLine line = parse(arguments);
        Tool tool(line, executableDir, out, err);
        return tool.run();
    } catch (const UsageError &usage) {
        err << "kv40812-tool: " << usage.message << Qt::endl;
        return kExitUsage;
    }
}
