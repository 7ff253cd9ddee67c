// Whole-document parsing and printing of the XML tools: the nesting limit every
// reader of a host file relies on, the parse-error text, and the printer whose
// output does not depend on the process's hash seed.

#include "testenvironment.h"
#include "zrxmltools.h"

#include <QFile>
#include <QtTest>

#include <memory>

namespace
{

/// `depth` nested elements <n>...</n> on one line.
QByteArray nested(int depth)
{
    QByteArray text;
    text.reserve(depth * 7);
    for (int level = 0; level < depth; ++level)
        text += "<n>";
    for (int level = 0; level < depth; ++level)
        text += "</n>";
    return text;
}

} // namespace

class TestXmlTools : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void nestingLimit_data();
    void nestingLimit();
    void malformedTextKeepsTheParserPosition();
    void parseErrorText();
    void readDocumentOfMissingFile();
    void printedAttributesFollowTheFormatOrder();
    void printedDocumentRoundTrips();
    void printedTextIsIndentedAndEscaped();

private:
    std::unique_ptr<TestEnvironment> m_environment;
};

void TestXmlTools::initTestCase()
{
    m_environment = std::make_unique<TestEnvironment>();
    QVERIFY(m_environment->isValid());
}

void TestXmlTools::nestingLimit_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("column");

    QTest::newRow("one level") << nested(1) << true << 0;
    QTest::newRow("at the limit") << nested(ZRXmlTools::MaximumDepth) << true << 0;
    // The element one past the limit ends at column 3 × 257.
    QTest::newRow("one past the limit") << nested(ZRXmlTools::MaximumDepth + 1) << false << 3 * (ZRXmlTools::MaximumDepth + 1);
    QTest::newRow("50,000 levels") << nested(50000) << false << 3 * (ZRXmlTools::MaximumDepth + 1);
    QTest::newRow("50,000 levels, never closed")
        << QByteArray("<?xml version=\"1.0\"?>\n") + nested(50000).left(50000 * 3) << false << 3 * (ZRXmlTools::MaximumDepth + 1);
    // Deep siblings one after another are not deep.
    QByteArray wide("<r>");
    for (int i = 0; i < 10000; ++i)
        wide += "<a><b/></a>";
    wide += "</r>";
    QTest::newRow("wide but shallow") << wide << true << 0;
}

void TestXmlTools::nestingLimit()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, accepted);
    QFETCH(int, column);

    QDomDocument document;
    QString message;
    int line = -1;
    int at = -1;
    QCOMPARE(ZRXmlTools::parseDocument(content, &document, &message, &line, &at), accepted);
    QCOMPARE(document.isNull(), !accepted);
    if (accepted) {
        QVERIFY(!document.documentElement().isNull());
        return;
    }
    QCOMPARE(message, QStringLiteral("elements nested deeper than %1 levels").arg(ZRXmlTools::MaximumDepth));
    QCOMPARE(line, content.startsWith("<?xml") ? 2 : 1);
    QCOMPARE(at, column);
}

void TestXmlTools::malformedTextKeepsTheParserPosition()
{
    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    QVERIFY(!ZRXmlTools::parseDocument("<a>\n<b>\n</a>", &document, &message, &line, &column));
    QCOMPARE(line, 3);
    QVERIFY(column > 0);
    QVERIFY(!message.isEmpty());
    QVERIFY(document.isNull());

    QVERIFY(!ZRXmlTools::parseDocument(QByteArray(), &document, &message, &line, &column));
    QVERIFY(!message.isEmpty());
    // The outputs are optional.
    QVERIFY(!ZRXmlTools::parseDocument("<a>", nullptr));
    QVERIFY(ZRXmlTools::parseDocument("<a/>", nullptr));
}

void TestXmlTools::parseErrorText()
{
    QCOMPARE(ZRXmlTools::parseErrorText(QStringLiteral("/p/descriptor.xml"), 3, 14, QStringLiteral("bad %1 tag")),
             QStringLiteral("Unable to parse XML content of file /p/descriptor.xml. Parsing error occurs at line 3, column 14: "
                            "bad %1 tag"));
    const QString fileName = m_environment->makeFolder("deep") + "/deep.xml";
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(nested(300));
    file.close();
    QDomDocument document;
    QString errorText;
    QVERIFY(!ZRXmlTools::readDocument(fileName, &document, &errorText));
    QCOMPARE(errorText, QStringLiteral("Unable to parse XML content of file %1. Parsing error occurs at line 1, column %2: "
                                       "elements nested deeper than 256 levels")
                            .arg(fileName)
                            .arg(3 * 257));
}

void TestXmlTools::readDocumentOfMissingFile()
{
    const QString fileName = m_environment->root() + "/absent.xml";
    QDomDocument document;
    QString errorText;
    QVERIFY(!ZRXmlTools::readDocument(fileName, &document, &errorText));
    QVERIFY2(errorText.startsWith(QStringLiteral("Unable to open file %1: ").arg(fileName)), qPrintable(errorText));
}

void TestXmlTools::printedAttributesFollowTheFormatOrder()
{
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("root"));
    document.appendChild(root);
    // Set in an order unlike the formats' own; some names the formats do not list.
    QDomElement vector = document.createElement(QStringLiteral("vect0"));
    for (const char* name : {"t", "zeta", "z", "y", "alpha_extra", "x"})
        vector.setAttribute(QLatin1String(name), QLatin1String(name));
    root.appendChild(vector);
    QDomElement directory = document.createElement(QStringLiteral("Directory"));
    for (const char* name : {"pixmapName", "name", "visible", "value", "directoryId"})
        directory.setAttribute(QLatin1String(name), 1);
    root.appendChild(directory);
    QDomElement color = document.createElement(QStringLiteral("color"));
    for (const char* name : {"alpha", "blue", "green", "red"})
        color.setAttribute(QLatin1String(name), 0);
    root.appendChild(color);

    const QByteArray text = ZRXmlTools::toBytes(document, 1);
    QVERIFY2(text.contains("<vect0 x=\"x\" y=\"y\" z=\"z\" t=\"t\" alpha_extra=\"alpha_extra\" zeta=\"zeta\"/>"), text.constData());
    QVERIFY2(text.contains("<Directory directoryId=\"1\" value=\"1\" visible=\"1\" name=\"1\" pixmapName=\"1\"/>"),
             text.constData());
    QVERIFY2(text.contains("<color red=\"0\" green=\"0\" blue=\"0\" alpha=\"0\"/>"), text.constData());
}

void TestXmlTools::printedDocumentRoundTrips()
{
    QDomDocument document;
    document.appendChild(document.createProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\"")));
    QDomElement root = document.createElement(QStringLiteral("globalObject"));
    document.appendChild(root);
    root.appendChild(document.createComment(QStringLiteral(" a note ")));
    QDomElement object = document.createElement(QStringLiteral("object"));
    object.setAttribute(QStringLiteral("type"), QStringLiteral("ZRSeismicBloc"));
    object.setAttribute(QStringLiteral("remote"), QStringLiteral("a \"quoted\" <name> & more\nline"));
    root.appendChild(object);
    QDomElement text = document.createElement(QStringLiteral("text"));
    text.appendChild(document.createTextNode(QStringLiteral("1 < 2 & 3 > 2")));
    object.appendChild(text);
    ZRXmlTools::writeMatrix(document, object, QStringLiteral("fromBlocToWorldMatrix"),
                            ZRXmlTools::Matrix{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});

    const QByteArray bytes = ZRXmlTools::toBytes(document, 1);
    QDomDocument back;
    QVERIFY2(back.setContent(bytes), bytes.constData());
    const QDomElement backObject = back.documentElement().firstChildElement(QStringLiteral("object"));
    QCOMPARE(backObject.attribute(QStringLiteral("remote")), QStringLiteral("a \"quoted\" <name> & more\nline"));
    QCOMPARE(backObject.firstChildElement(QStringLiteral("text")).text(), QStringLiteral("1 < 2 & 3 > 2"));
    ZRXmlTools::Matrix matrix{};
    QVERIFY(ZRXmlTools::readMatrix(backObject, QStringLiteral("fromBlocToWorldMatrix"), &matrix));
    QCOMPARE(matrix[15], 16.0);
    QVERIFY(bytes.startsWith("<?xml version=\"1.0\"?>"));
    QVERIFY(bytes.contains("<!-- a note -->"));
    // Printing is a function of the document alone (the parser rewrites the
    // declaration's quotes, so the comparison starts after it).
    const QByteArray again = ZRXmlTools::toBytes(back, 1);
    QCOMPARE(again.mid(again.indexOf('\n')), bytes.mid(bytes.indexOf('\n')));
}

void TestXmlTools::printedTextIsIndentedAndEscaped()
{
    QDomDocument document;
    QDomElement root = document.createElement(QStringLiteral("GlobalHeader"));
    document.appendChild(root);
    ZRXmlTools::writeInt(document, root, QStringLiteral("headerOffset"), 2500);
    QDomElement inner = document.createElement(QStringLiteral("inner"));
    root.appendChild(inner);
    ZRXmlTools::writeText(document, inner, QStringLiteral("name"), QStringLiteral("<&>"));
    QCOMPARE(ZRXmlTools::toBytes(document, 1),
             QByteArray("<GlobalHeader>\n"
                        " <headerOffset value=\"2500\"/>\n"
                        " <inner>\n"
                        "  <name value=\"&lt;&amp;&gt;\"/>\n"
                        " </inner>\n"
                        "</GlobalHeader>\n"));
}

QTEST_GUILESS_MAIN(TestXmlTools)
#include "tst_xmltools.moc"
