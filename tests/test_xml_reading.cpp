#include "core/XmlLookup.h"
#include "support/DomOutline.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray nested(int depth)
{
    return "<r>" + QByteArray("<a>").repeated(depth - 1) + QByteArray("</a>").repeated(depth - 1) + "</r>";
}

} // namespace

// XML is read in one pass: the tree and the errors of Qt's DOM parser, blank-only texts kept.
class TestXmlReading : public QObject {
    Q_OBJECT

private slots:
    void buildsWhatTheDomParserBuilds_data();
    void buildsWhatTheDomParserBuilds();
    void blankOnlyTextStaysWhenItIsAllAnElementHolds_data();
    void blankOnlyTextStaysWhenItIsAllAnElementHolds();
    void nestingIsLimited();
};

void TestXmlReading::buildsWhatTheDomParserBuilds_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::newRow("a parameter file") << "<Par_Gen><Serial_Baud>3</Serial_Baud><X/></Par_Gen><!--SW_VERSION = 1.200-->"_ba;
    QTest::newRow("declaration") << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?><r/>"_ba;
    QTest::newRow("comment and instruction before the root") << "<!-- c --><?pi data?>\n<r/>"_ba;
    QTest::newRow("document type after a comment") << "<?xml version='1.0'?>\n<!-- c -->\n<!DOCTYPE r>\n<r/>"_ba;
    QTest::newRow("document type with entities")
        << "<!DOCTYPE r [<!ENTITY e \"x&amp;y\"><!ENTITY f SYSTEM \"f.xml\">]><r>&e;&f;</r>"_ba;
    QTest::newRow("texts, CDATA and references") << "<r><k>a&amp;b&#32;<![CDATA[c]]>d</k><k> <![CDATA[e]]> </k></r>"_ba;
    QTest::newRow("text mixed with comment, instruction and element") << "<r><k>1<!--c-->2<?p?><e a='1' b=\"2\"/>3</k></r>"_ba;
    QTest::newRow("blank CDATA beside other children") << "<!DOCTYPE r [<!ENTITY e \"x\">]><r><k>&e;<![CDATA[ ]]></k><k><![CDATA[ ]]> <![CDATA[ ]]>y</k></r>"_ba;
    QTest::newRow("line ends are normalised") << "<r>a\r\nb\rc&#xd;</r>"_ba;
    QTest::newRow("prefixes without a namespace") << "<a:r b:c='1'><a:k/></a:r>"_ba;
    QTest::newRow("non-breaking spaces only") << "<r><k>\xC2\xA0</k> \xE3\x80\x80 </r>"_ba;
    QTest::newRow("nested 64 deep") << nested(64);

    QTest::newRow("empty") << ""_ba;
    QTest::newRow("only a comment") << "<!-- c -->"_ba;
    QTest::newRow("unclosed element") << "<Par_Gen><Serial_Baud>3</Par_Gen>"_ba;
    QTest::newRow("text after the root") << "<r/>x"_ba;
    QTest::newRow("two roots") << "<r/><r/>"_ba;
    QTest::newRow("two document types") << "<!DOCTYPE r><!DOCTYPE s><r/>"_ba;
    QTest::newRow("document type after the root") << "<r/><!DOCTYPE s>"_ba;
    QTest::newRow("undeclared entity") << "<r>&e;</r>"_ba;
    QTest::newRow("control character") << "<r>\x01</r>"_ba;
    QTest::newRow("invalid UTF-8") << "<r>\xC3\x28</r>"_ba;
    QTest::newRow("duplicate attribute") << "<r a='1' a='2'/>"_ba;
    QByteArray bomb = "<!DOCTYPE r [<!ENTITY e0 \"lolololololololololo\">";
    for (int i = 1; i < 10; ++i)
        bomb += u"<!ENTITY e%1 \"&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;&e%2;\">"_s.arg(i).arg(i - 1).toLatin1();
    QTest::newRow("entity bomb") << bomb + "]><r>&e9;</r>";
}

void TestXmlReading::buildsWhatTheDomParserBuilds()
{
    QFETCH(QByteArray, xml);
    QDomDocument expected;
    QString message;
    int line = 0;
    int column = 0;
    const bool parses = expected.setContent(xml, &message, &line, &column);

    QDomDocument doc;
    QString error;
    QCOMPARE(parseXml(xml, u"/p/f.xml"_s, &doc, &error), parses);
    if (parses)
        QCOMPARE(domOutline(doc), domOutline(expected));
    else
        QCOMPARE(error, QDir::toNativeSeparators(u"/p/f.xml"_s) + u": %1 (line %2, column %3)"_s.arg(message).arg(line).arg(column));
}

void TestXmlReading::blankOnlyTextStaysWhenItIsAllAnElementHolds_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("text"); // of the root's element k; "none" when it holds more than text
    QTest::newRow("blanks") << "<r><k> \t\n </k></r>"_ba << " \t\n ";
    QTest::newRow("empty") << "<r><k></k></r>"_ba << "";
    QTest::newRow("a carriage return, written as a reference") << "<r><k>&#xd;</k></r>"_ba << "\r";
    QTest::newRow("line end, normalised") << "<r><k>\r\n</k></r>"_ba << "\n";
    QTest::newRow("non-breaking space") << "<r><k>\xC2\xA0</k></r>"_ba << "\u00A0";
    QTest::newRow("blank CDATA, as text") << "<r><k><![CDATA[ ]]> </k></r>"_ba << "  ";
    QTest::newRow("blanks around a text") << "<r><k> <![CDATA[x]]> </k></r>"_ba << "x";
    QTest::newRow("blanks around a comment") << "<r><k> <!--c--> </k></r>"_ba << "none";
    QTest::newRow("blanks around an element") << "<r><k> <e/> </k></r>"_ba << "none";
}

void TestXmlReading::blankOnlyTextStaysWhenItIsAllAnElementHolds()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, text);
    QDomDocument doc;
    QString error;
    QVERIFY2(parseXml(xml, u"f.xml"_s, &doc, &error), qPrintable(error));
    QCOMPARE(leafText(firstNode(doc), u"k"_s).value_or(u"none"_s), text);
}

void TestXmlReading::nestingIsLimited()
{
    QDomDocument doc;
    QString error;
    QVERIFY(parseXml(nested(64), u"f.xml"_s, &doc, &error));
    QVERIFY(!parseXml(nested(65), u"f.xml"_s, &doc, &error));
    QCOMPARE(error, u"f.xml: elements nested more than 64 levels deep (line 1, column 195)"_s);
    // Refused where the limit is passed, before the parser reads on.
    QVERIFY(!parseXml(nested(100000) + "<", u"f.xml"_s, &doc, &error));
    QVERIFY2(error.contains(u"nested"_s), qPrintable(error));
}

QTEST_MAIN(TestXmlReading)
#include "test_xml_reading.moc"
