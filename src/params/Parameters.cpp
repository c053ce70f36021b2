#include "params/Parameters.h"

#include "core/IntegerConversion.h"
#include "core/TextIndex.h"

namespace {

QStringList itemsOf(Param::Id id)
{
    switch (id) {
    case Param::Serial_Serial:
        return {QStringLiteral("RS232"), QStringLiteral("RS485/RS422")};
    case Param::ModbusSlave_Serial:
        return {QStringLiteral("RS232"), QStringLiteral("RS485")};
    case Param::Serial_Baud:
    case Param::ModbusSlave_Baud:
        return baudRateItems();
    case Param::Serial_Parity:
    case Param::ModbusSlave_Parity:
        return {QStringLiteral("NONE"), QStringLiteral("ODD"), QStringLiteral("EVEN")};
    case Param::Serial_DataBits:
        return {QStringLiteral("7"), QStringLiteral("8")};
    default:
        return {};
    }
}

QList<ParameterDef> buildSet()
{
    const QList<int> sendTypeItemTexts{Txt::SendTypeEndCharItem, Txt::SendTypeControlWordItem, Txt::SendTypeFixedBytesItem};
    QList<ParameterDef> set;
#define KV40812_PARAMETER_DEF(key, kind, control, def, unit, meaning)                                     \
    set.append(ParameterDef{Param::key, QStringLiteral(#key), ParameterKind::kind, QStringLiteral(#control), \
                            QStringLiteral(def), QStringLiteral(unit), QStringLiteral(meaning),            \
                            itemsOf(Param::key),                                                            \
                            Param::key == Param::Serial_Send_Type ? sendTypeItemTexts : QList<int>{}});
    KV40812_PARAMETERS(KV40812_PARAMETER_DEF)
#undef KV40812_PARAMETER_DEF
    return set;
}

} // namespace

const QStringList &baudRateItems()
{
    static const QStringList items{QStringLiteral("1200"),  QStringLiteral("2400"),  QStringLiteral("4800"),
                                   QStringLiteral("9600"),  QStringLiteral("19200"), QStringLiteral("38400"),
                                   QStringLiteral("57600"), QStringLiteral("115200")};
    return items;
}

const QList<ParameterDef> &parameterSet()
{
    static const QList<ParameterDef> set = buildSet();
    return set;
}

const ParameterDef &parameter(Param::Id id)
{
    return parameterSet().at(id);
}

const ParameterDef *findParameter(const QString &key)
{
    for (const ParameterDef &def : parameterSet()) {
        if (def.key.compare(key, Qt::CaseInsensitive) == 0)
            return &def;
    }
    return nullptr;
}

QStringList parameterKeys()
{
    QStringList keys;
    for (const ParameterDef &def : parameterSet())
        keys << def.key;
    return keys;
}

QStringList choiceItems(const ParameterDef &def, const TextTable &texts)
{
    QStringList items = def.items;
    for (const int index : def.itemTexts)
        items << texts.text(index);
    return items;
}

QString shownValue(const ParameterDef &def, const QString &value, const TextTable &texts)
{
    if (def.kind != ParameterKind::Choice)
        return value;
    const QStringList items = choiceItems(def, texts);
    const std::optional<qint32> index = toInteger(value);
    return index && *index >= 0 && *index < items.size() ? items.at(*index) : value;
}
