// The tool's commands, each declared once.
#include "tool/Tool.h"

const QList<Command> &toolCommands()
{
    static const QList<Command> commands = {
        {"new", "new NAME", "create a configuration under PROJECTS", {},
         "kv40812-tool new \"Line 07\"",
         "The name follows the New Configuration rules and messages.", cmdNew},
        {"list", "list", "print the configurations, one a line", {}, "kv40812-tool list",
         "In the order of the Open Configuration list.", cmdList},
        {"keys", "keys", "print the 33 parameters with their items or ranges and defaults", {},
         "kv40812-tool keys",
         "In the order of ParGen.xml. A range is what the editor's rules accept; \"if KEY=VALUE\"\n"
         "names the setting under which the rule checks it. Serial_Serial and ModbusSlave_Serial\n"
         "are never both RS232. Keys are read in any letter case, item texts too; translated\n"
         "items are those of --language.",
         cmdKeys},
        {"show", "show PROJECT [--raw]", "print the 33 parameters as KEY=VALUE, a choice as its item",
         {{"--raw", "print the values as ParGen.xml stores them (a choice as its index)"}},
         "kv40812-tool show \"Line 07\"", "", cmdShow},
        {"set", "set PROJECT KEY=VALUE...", "change parameters, check them and save",
         {},
         "kv40812-tool set \"Line 07\" Serial_Baud=9600 Serial_Parity=even ModbusTCPSlave_IP4=17",
         "A choice takes its item text in any letter case or its index (-1: no item), a flag\n"
         "1 or 0, a number its text as typed. The values are checked with the editor's rules\n"
         "and saved as the editor's OK saves them; on any refusal nothing is saved.",
         cmdSet},
        {"validate", "validate PROJECT|FILE [--strict]",
         "check the parameters and warn of odd addresses",
         {{"--strict", "a warning fails the check too"}}, "kv40812-tool validate \"Line 07\" --strict",
         "Prints the network warnings on stderr, then the verdict: OK, the first broken rule,\n"
         "or with --strict the number of warnings. Exit 0 only when the verdict is OK.",
         cmdValidate},
        {"image", "image PROJECT [--output FILE]\nimage --input FILE --output FILE",
         "compose the configuration image",
         {{"--output", "write the image to FILE (default PROJECT/bin/bank.bin)"},
          {"--input", "compose the image of a loose parameter file"}},
         "kv40812-tool image \"Line 07\"",
         "The image is composed as Update Device composes it, and a broken rule is a warning.",
         cmdImage},
        {"inspect", "inspect IMAGE [--json]", "decode and check a configuration image",
         {{"--json", "print the fields as JSON"}}, "kv40812-tool inspect PROJECTS/Line07/bin/bank.bin",
         "Exit 1 when the size or the checksum is wrong; the fields are printed all the same.", cmdInspect},
        {"job", "job PROJECT --ip A.B.C.D --option 0|1|2 [--read-back]",
         "write the update job Ethernet_Update.xml",
         {{"--ip", "the device's address"},
          {"--option", "0 firmware and configuration, 1 firmware, 2 configuration"},
          {"--read-back", "read the configuration back after writing it"}},
         "kv40812-tool job \"Line 07\" --ip 127.0.0.1 --option 2",
         "job --option: 0 firmware and configuration, 1 firmware, 2 configuration. Options\n"
         "0 and 2 send PROJECT/bin/bank.bin, which image composes: run image first.",
         cmdJob},
        {"texts", "texts", "print the text table as a language file", {}, "kv40812-tool texts --language Deutsch",
         "The start of a translation: every text of the chosen language (--language), or the\n"
         "built-in English ones.",
         cmdTexts},
        {"check-version", "check-version", "ask the maker's server for a newer version", {},
         "kv40812-tool check-version",
         "Prints \"newer: VERSION\" or \"not newer: VERSION\" with the version the server named,\n"
         "or \"unknown: REASON\" with exit code 3 when it did not answer.",
         cmdCheckVersion},
        {"batch", "batch PLAN.csv [--dry-run] [--strict]", "create or update configurations from a plan",
         {{"--dry-run", "check the plan and print what would be written; write nothing"},
          {"--strict", "every warning is an error"}},
         "kv40812-tool batch plant.csv --dry-run",
         "A plan is CSV text, comma- or semicolon-delimited, in UTF-8 (text that is not UTF-8\n"
         "is read as Windows-1252, with a warning). Its first row names the columns: Name, and\n"
         "any of the 33 parameter keys (keys lists them), in any order and letter case. Other\n"
         "columns (remarks, locations) are left out with a warning; one whose name is close to\n"
         "a key is an error. Each further row is one configuration: the one of that name is\n"
         "updated, or a new one is created. A cell holds a value as set takes it: an item\n"
         "text or index for a choice, 1 or 0 for a flag, the text for a number. An empty cell,\n"
         "quoted or not, keeps the value (a new configuration's default); a cell holding \"\"\n"
         "(two quote marks) sets the empty text, and a leading apostrophe is dropped, so '\"\"\n"
         "is those two quote marks and ''x is 'x; export writes a text that a spreadsheet\n"
         "would run as a formula (=, +, -, @, a tab or a carriage return first) as '=1+2.\n"
         "A new name must not be one folder with another on Windows or macOS (letter case,\n"
         "Unicode normalisation, trailing blanks or dots) nor a name Windows cannot hold\n"
         "(CON, NUL, COM1, ... with or without an extension).\n"
         "The whole plan is checked first and nothing is written if anything is wrong. Odd\n"
         "addresses (see validate), an address used twice, a name with blanks at an end and\n"
         "unknown columns are warnings; --strict makes them errors.",
         cmdBatch},
        {"export", "export [PROJECT...] [--output FILE] [--delimiter ,|;]",
         "write configurations as a plan for batch",
         {{"--output", "write the plan to FILE instead of stdout"},
          {"--delimiter", "the delimiter between cells: , (the default) or ;"}},
         "kv40812-tool export --delimiter ';' --output plant.csv",
         "All configurations, or those named. A choice is written as its item text (in the\n"
         "language of --language, as batch reads it), a value that is no item's index as\n"
         "stored, an empty text as \"\". Fed to batch in an empty workspace, the plan gives the\n"
         "same ParGen.xml files, byte for byte.",
         cmdExport},
        {"import", "import IMAGE PROJECT [--force]", "recover PROJECT's ParGen.xml from an image",
         {{"--force", "replace an existing ParGen.xml"}},
         "kv40812-tool import old/bank.bin \"Line 07 recovered\"",
         "PROJECT is created when missing. import writes the parameter set whose file composes\n"
         "back to the image, byte for byte, and refuses an image that no parameter file gives.\n"
         "Where the image holds no value, it takes what the editor shows for a new configuration:\n"
         "  - the initial image (no parameter file composes it): no ParGen.xml at all;\n"
         "  - gateway 255.255.255.255: gateway off, numbers 192.168.0.1;\n"
         "  - byte counter register -1: byte counter off, register 1;\n"
         "  - wait time 0: wait time off, 20 ms;\n"
         "  - both ports on RS232: the serial baud rate is 115200, and the serial parity\n"
         "    NONE, or ODD where 7 data bits without the second stop bit need a parity;\n"
         "  - a baud rate of 9600 is its list item; send type \"Fix Num Bytes\" for flag 8.\n"
         "Numbers are written in decimal as the image holds them (address bytes 0 to\n"
         "255, 16-bit fields signed), parities outside the list as they are; a serial\n"
         "parity of 0 beside 7 data bits and one stop bit is written 65536.",
         cmdImport},
        {"diff", "diff A B", "print KEY: A-value -> B-value for each parameter that differs", {},
         "kv40812-tool diff \"Line 07\" \"Line 07 recovered\"",
         "A and B are configurations, ParGen.xml files or images; exit 0 same, 1 different,\n"
         "2 unreadable. diff reads an image as import does; against an image, a file side\n"
         "counts as the image it composes, and what an image does not hold is no difference.",
         cmdDiff},
        {"report", "report PROJECT... [--output FILE]", "write a commissioning sheet (one HTML page)",
         {{"--output", "write the sheet to FILE instead of stdout"}},
         "kv40812-tool report \"Line 07\" \"Line 08\" --language Deutsch --output as-built.html",
         "One configuration per printed page, with the editor's captions in the chosen\n"
         "language, the first broken rule and the image's checksum.",
         cmdReport},
    };
    return commands;
}
