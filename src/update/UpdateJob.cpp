#include "update/UpdateJob.h"

#include "core/Paths.h"
#include "core/XmlLookup.h"

#include <QDomDocument>

#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {
using Leaves = std::vector<std::pair<QString, QString>>;

// Appends one element per leaf, in order; an empty value is an empty element.
void appendLeaves(QDomDocument &doc, QDomElement parent, const Leaves &leaves)
{
    for (const auto &[name, value] : leaves)
        appendLeaf(doc, parent, name, value);
}

// One write operation; the firmware and the configuration differ only in these values.
struct OperationValues {
    QString fileName;
    QString startAddress;
    QString bankType;
    QString writeCss;
    QString addressCss;
    QString goToAppAfter;
};

void appendOperation(QDomDocument &doc, QDomElement operations, const OperationValues &op, bool readBack)
{
    QDomElement operation = doc.createElement(u"Operation"_s);
    operations.appendChild(operation);
    appendLeaves(doc, operation,
                 {
                     {u"Ope_Protection_Enabled"_s, QString()},
                     {u"Ope_GoToBoot_Before"_s, u"0"_s},
                     {u"Ope_GoToApp_Before"_s, u"0"_s},
                     {u"Ope_IP_Address"_s, QString()},
                     {u"Ope_Port"_s, u"2007"_s},
                     {u"Ope_Erase_Memory"_s, u"0"_s},
                     {u"Ope_FileName"_s, op.fileName},
                     {u"Ope_Start_Address"_s, op.startAddress},
                     {u"Ope_Memory_Type"_s, u"0"_s},
                     {u"Ope_Bank_Type"_s, op.bankType},
                     {u"Ope_Read_Back"_s, readBack ? u"1"_s : u"0"_s},
                     {u"Ope_Write_CSS"_s, op.writeCss},
                     {u"Ope_Address_CSS"_s, op.addressCss},
                     {u"Ope_Command_CSS"_s, u"0x0B"_s},
                     {u"Ope_Write_Internal_Data"_s, u"0"_s},
                     {u"Ope_WID_Address"_s, u"0x78200"_s},
                     {u"Ope_WID_Command"_s, u"0x0B"_s},
                     {u"Ope_WID_Data"_s, QString()},
                     {u"Ope_GoToApp_After"_s, op.goToAppAfter},
                 });
}
} // namespace

QString updateJobPath(const QString &dirExe)
{
    return joinPath(dirExe, u"Ethernet_Update.xml"_s);
}

namespace {
QDomDocument updateJobDocument(const UpdateJob &job)
{
    QDomDocument doc = newXmlDocument();
    QDomElement root = doc.createElement(u"Ethernet_Update"_s);
    doc.appendChild(root);
    appendLeaves(doc, root,
                 {
                     {u"Version"_s, u"1000"_s},
                     {u"Title"_s, u"Norvexa - KV40812 Ethernet Update"_s},
                     {u"IP_Address_Dev"_s, job.addressParts.join(u'.')},
                     {u"Application_Port"_s, u"10000"_s},
                     {u"Boot_Port"_s, u"2007"_s},
                     {u"Address_Protection"_s, u"0x78000"_s},
                     {u"Protections"_s, QString()},
                 });
    appendLeaves(doc, root.lastChildElement(u"Protections"_s), {{u"Protection"_s, u"0x15A"_s}});
    QDomElement operations = doc.createElement(u"Operations"_s);
    root.appendChild(operations);

    const bool firmware = job.option == 0 || job.option == 1;
    const bool configuration = job.option == 0 || job.option == 2;
    if (firmware) {
        // Only a firmware-only job restarts the application after the firmware is written.
        appendOperation(doc, operations,
                        {joinPath(job.dirMaster, u"sim40812.sim"_s), u"0x8000"_s, u"1"_s, u"1"_s, u"0x78100"_s,
                         job.option == 1 ? u"1"_s : u"0"_s},
                        job.readBack);
    }
    if (configuration) {
        appendOperation(doc, operations,
                        {imageFilePathIn(job.projectDir), u"0x68000"_s, u"2"_s, u"0"_s,
                         u"0x50100"_s, u"1"_s},
                        job.readBack);
    }
    return doc;
}
} // namespace

QByteArray composeUpdateJob(const UpdateJob &job)
{
    return updateJobDocument(job).toByteArray(-1);
}

bool writeUpdateJob(const QString &dirExe, const UpdateJob &job, QString *error)
{
    return writeXmlFile(updateJobPath(dirExe), updateJobDocument(job), error);
}
