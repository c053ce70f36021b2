// The texts command: the text table as a language file.
#include "tool/Tool.h"

#include <QTextStream>

int cmdTexts(ToolContext &tool)
{
    tool.expectArguments(0, "no arguments");
    const QChar pilcrow(0x00B6);
    // A byte-order mark, so that the output is a UTF-8 language file as it stands.
    tool.out << QChar(0xFEFF);
    const QStringList &entries = tool.state.Text_Table.entries;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString &text = entries.at(i);
        // Pilcrows keep blanks at either end, and an empty text, when the file is read back.
        const bool wrap = text.isEmpty() || text.front().unicode() <= 32 || text.back().unicode() <= 32;
        tool.out << "STR" << i << " = " << (wrap ? pilcrow + text + pilcrow : text) << '\n';
    }
    return kExitOk;
}
