#include "dataview/UXmlTreeModel.h"

#include <QSignalSpy>
#include <QStringEncoder>
#include <functional>
#include <gtest/gtest.h>

namespace {

QByteArray Utf16LeWithMark(const QString& text)
{
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encoder.encode(text));
}

// A loaded document with its two models, as the editor holds them.
struct Loaded {
    explicit Loaded(const QByteArray& bytes, TFieldType type = ftBlob)
    {
        Doc.Load(bytes, type);
    }
    pugi::xml_node Find(const char* name) const { return Doc.Root().find_node([name](pugi::xml_node n) { return qstrcmp(n.name(), name) == 0; }); }
    pugi::xml_node Child(pugi::xml_node parent, int row) const { return Tree.VisibleChildren(parent).value(row); }

    TXmlDocument Doc;
    TXmlTreeModel Tree{Doc};
    TXmlAttributeModel Attributes{Doc};
};

TEST(XmlDocument, EditsWriteBackInTheValuesEncoding)
{
    struct Case {
        const char* name;
        QByteArray input;
        std::function<void(Loaded&)> edit;
        QByteArray expected;
    } cases[] = {
        {"UTF-8 with CJK", QStringLiteral("<?xml version=\"1.0\"?>\n<r a=\"漢\">字<b/></r>").toUtf8(),
         [](Loaded& l) { l.Attributes.SetElement(l.Find("r")); EXPECT_EQ(l.Attributes.Add(), TXmlEditResult::Done); },
         QStringLiteral("<?xml version=\"1.0\"?>\n<r a=\"漢\" attribute=\"\">字<b/></r>").toUtf8()},
        {"UTF-16 with a mark", Utf16LeWithMark(QStringLiteral("<r>\r\n <b>字</b>\r\n</r>")),
         [](Loaded& l) { EXPECT_EQ(l.Tree.SetValue(l.Find("b"), QStringLiteral("語")), TXmlEditResult::Done); },
         Utf16LeWithMark(QStringLiteral("<r>\r\n <b>語</b>\r\n</r>"))},
        {"ISO-8859-1 declared", QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>caf\xE9</r>"),
         [](Loaded& l) { EXPECT_EQ(l.Tree.SetValue(l.Find("r"), QStringLiteral("café €")), TXmlEditResult::Done); },
         QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>caf\xE9 &#8364;</r>")},
        {"windows-1252 declared", QByteArray("<?xml version='1.0' encoding='windows-1252'?><r t=\"\x80\"/>"),
         [](Loaded& l) {
             EXPECT_EQ(l.Tree.SetName(l.Find("r"), QStringLiteral("s")), TXmlEditResult::Done);
             l.Attributes.SetElement(l.Find("s"));
             l.Attributes.Add();
             EXPECT_EQ(l.Attributes.SetValue(1, QStringLiteral("Ω€")), TXmlEditResult::Done);
         },
         // Attribute values are written in double quotes.
         QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?><s t=\"\x80\" attribute=\"&#937;\x80\"/>")},
        {"mixed content keeps its blanks", QByteArray("<p>Hello <b>big</b> world\n  <i>x</i>\n</p>"),
         [](Loaded& l) { EXPECT_EQ(l.Tree.MoveDown(l.Find("b")), TXmlEditResult::Done); },
         QByteArray("<p>Hello  world\n  <b>big</b><i>x</i>\n</p>")},
    };
    for (const Case& c : cases) {
        Loaded loaded(c.input);
        EXPECT_FALSE(loaded.Doc.ReadOnly()) << c.name;
        c.edit(loaded);
        EXPECT_EQ(loaded.Doc.Save(), c.expected) << c.name;
    }
}

TEST(XmlDocument, TextOfACharacterFieldAndReadOnlyValues)
{
    // A narrow TEXT value: its text is Windows-1252 with CR LF breaks.
    Loaded text(QByteArray("<r>\r\n<a>\x80</a>\r\n</r>"), ftMemo);
    EXPECT_EQ(text.Tree.SetValue(text.Find("a"), QStringLiteral("€ 漢")), TXmlEditResult::Done);
    EXPECT_EQ(text.Doc.Save(), QByteArray("<r>\r\n<a>\x80 &#28450;</a>\r\n</r>"));
    // A name the encoding cannot hold has no character reference: refused.
    EXPECT_EQ(text.Tree.SetName(text.Find("a"), QStringLiteral("漢")), TXmlEditResult::Refused);

    // Bytes that do not decode to themselves: shown, never written.
    Loaded broken(QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>\xFF</r>"));
    EXPECT_TRUE(broken.Doc.ReadOnly());
    EXPECT_EQ(broken.Tree.SetName(broken.Find("r"), QStringLiteral("s")), TXmlEditResult::Refused);
    broken.Attributes.SetElement(broken.Find("r"));
    EXPECT_EQ(broken.Attributes.Add(), TXmlEditResult::Refused);
}

TEST(XmlDocument, MalformedValueNamesTheFaultAndOffset)
{
    TXmlDocument doc;
    try {
        doc.Load("<r><a></r>", ftBlob);
        FAIL() << "no error";
    } catch (const EXmlParseError& e) {
        EXPECT_EQ(e.Message().toStdString(), "Start-end tags mismatch at offset 8");
    }
    EXPECT_FALSE(doc.Root().first_child());
}

TEST(XmlDocument, ReadableNamesAndIcons)
{
    const QList<QPair<QString, QString>> names = {{"bookTitle", "Booktitle"}, {"xsl:stylesheet", "Xsl:stylesheet"},
                                                  {"ABC", "Abc"}, {"_x", "_x"}, {"éA", "éa"}};
    for (const auto& [name, readable] : names)
        EXPECT_EQ(TXmlDocument::ReadableName(name), readable) << name.toStdString();

    Loaded l("<?xml version=\"1.0\"?><?xml-stylesheet href=\"a\"?><!DOCTYPE r><!--c--><r><![CDATA[x]]><?pi y?>t<e/></r>");
    const QList<TXmlIcon> rootIcons = {TXmlIcon::Declaration, TXmlIcon::Stylesheet, TXmlIcon::DocType,
                                       TXmlIcon::Comment, TXmlIcon::Element};
    ASSERT_EQ(l.Tree.rowCount(), rootIcons.size());
    for (int row = 0; row < rootIcons.size(); ++row)
        EXPECT_EQ(l.Tree.index(row, 0).data(TXmlTreeModel::IconRole).toInt(), int(rootIcons[row]));
    const QModelIndex root = l.Tree.index(4, 0);
    const QList<TXmlIcon> childIcons = {TXmlIcon::CData, TXmlIcon::Other, TXmlIcon::Text, TXmlIcon::Element};
    ASSERT_EQ(l.Tree.rowCount(root), childIcons.size());
    for (int row = 0; row < childIcons.size(); ++row)
        EXPECT_EQ(l.Tree.index(row, 0, root).data(TXmlTreeModel::IconRole).toInt(), int(childIcons[row]));
    EXPECT_EQ(l.Tree.index(0, 1).data().toString(), QStringLiteral("version=\"1.0\""));
    EXPECT_EQ(l.Tree.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Tag"));
    EXPECT_EQ(l.Tree.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));
}

TEST(XmlTreeModel, Commands)
{
    const QByteArray source = "<?xml version=\"1.0\"?>\n<r>\n  <a x=\"1\" y=\"2\"/>\n  <b>t</b>\n</r>";
    struct Case {
        const char* name;
        std::function<TXmlEditResult(Loaded&)> run;
        TXmlEditResult result;
        const char* expected;
    } cases[] = {
        {"Before Node", [](Loaded& l) { return l.Tree.Insert(l.Find("b"), TXmlInsertPlace::Before); },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<r>\n  <a x=\"1\" y=\"2\"/>\n  <element/><b>t</b>\n</r>"},
        {"After Node", [](Loaded& l) { return l.Tree.Insert(l.Find("a"), TXmlInsertPlace::After); },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<r>\n  <a x=\"1\" y=\"2\"/><element/>\n  <b>t</b>\n</r>"},
        {"As Sub Node", [](Loaded& l) { return l.Tree.Insert(l.Find("a"), TXmlInsertPlace::Sub); },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<r>\n  <a x=\"1\" y=\"2\"><element/></a>\n  <b>t</b>\n</r>"},
        {"sibling of the root", [](Loaded& l) { return l.Tree.Insert(l.Find("r"), TXmlInsertPlace::After); },
         TXmlEditResult::AnotherRoot, nullptr},
        {"Insert Comment on the root", [](Loaded& l) { return l.Tree.InsertComment(l.Find("r")); },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<!--comment--><r>\n  <a x=\"1\" y=\"2\"/>\n  <b>t</b>\n</r>"},
        {"Delete Element", [](Loaded& l) { return l.Tree.Delete(l.Find("a")); },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<r>\n  \n  <b>t</b>\n</r>"},
        {"Move Up", [](Loaded& l) { return l.Tree.MoveUp(l.Find("b")); },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<r>\n  <b>t</b><a x=\"1\" y=\"2\"/>\n  \n</r>"},
        {"Move Up of the first", [](Loaded& l) { return l.Tree.MoveUp(l.Find("a")); }, TXmlEditResult::Unchanged, nullptr},
        {"Move Down of the last", [](Loaded& l) { return l.Tree.MoveDown(l.Find("b")); }, TXmlEditResult::Unchanged, nullptr},
        {"Tag and Value", [](Loaded& l) {
             l.Tree.SetName(l.Find("b"), QStringLiteral("bookTitle"));
             return l.Tree.SetValue(l.Find("bookTitle"), QStringLiteral("<&>"));
         },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<r>\n  <a x=\"1\" y=\"2\"/>\n  <bookTitle>&lt;&amp;&gt;</bookTitle>\n</r>"},
        {"attribute Move Down", [](Loaded& l) { l.Attributes.SetElement(l.Find("a")); return l.Attributes.MoveDown(0); },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<r>\n  <a y=\"2\" x=\"1\"/>\n  <b>t</b>\n</r>"},
        {"attribute Move Up", [](Loaded& l) { l.Attributes.SetElement(l.Find("a")); return l.Attributes.MoveUp(1); },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<r>\n  <a y=\"2\" x=\"1\"/>\n  <b>t</b>\n</r>"},
        {"attribute Delete and rename", [](Loaded& l) {
             l.Attributes.SetElement(l.Find("a"));
             l.Attributes.Delete(0);
             return l.Attributes.SetName(0, QStringLiteral("z"));
         },
         TXmlEditResult::Done, "<?xml version=\"1.0\"?>\n<r>\n  <a z=\"2\"/>\n  <b>t</b>\n</r>"},
    };
    for (const Case& c : cases) {
        Loaded l(source);
        // The tree shows no whitespace-only text, nor the text that is an element's value.
        ASSERT_EQ(l.Tree.rowCount(l.Tree.IndexOf(l.Find("r"))), 2);
        EXPECT_EQ(c.run(l), c.result) << c.name;
        EXPECT_EQ(l.Doc.Save(), c.expected ? QByteArray(c.expected) : source) << c.name;
    }
}

TEST(XmlTreeModel, IllFormedEditsAreRefused)
{
    const QByteArray source =
        "<?xml version=\"1.0\"?><!DOCTYPE r><!--c--><r a=\"1\" attribute=\"\"><!--d--><?p q?><![CDATA[x]]><e/></r>";
    struct Case {
        const char* name;
        std::function<TXmlEditResult(Loaded&)> run;
    } cases[] = {
        {"tag not a name", [](Loaded& l) { return l.Tree.SetName(l.Find("e"), QStringLiteral("1e")); }},
        {"tag with a blank", [](Loaded& l) { return l.Tree.SetName(l.Find("e"), QStringLiteral("a b")); }},
        {"empty tag", [](Loaded& l) { return l.Tree.SetName(l.Find("e"), QString()); }},
        {"attribute not a name", [](Loaded& l) { l.Attributes.SetElement(l.Find("r")); return l.Attributes.SetName(0, QStringLiteral("<")); }},
        {"duplicate attribute", [](Loaded& l) { l.Attributes.SetElement(l.Find("r")); return l.Attributes.SetName(0, QStringLiteral("attribute")); }},
        {"Add Attribute twice", [](Loaded& l) { l.Attributes.SetElement(l.Find("r")); return l.Attributes.Add(); }},
        {"-- in a comment", [](Loaded& l) { return l.Tree.SetValue(l.Child(l.Find("r"), 0), QStringLiteral("a--b")); }},
        {"comment ending in -", [](Loaded& l) { return l.Tree.SetValue(l.Child(l.Find("r"), 0), QStringLiteral("a-")); }},
        {"?> in an instruction", [](Loaded& l) { return l.Tree.SetValue(l.Child(l.Find("r"), 1), QStringLiteral("?>")); }},
        {"]]> in CDATA", [](Loaded& l) { return l.Tree.SetValue(l.Child(l.Find("r"), 2), QStringLiteral("]]>")); }},
        {"control character", [](Loaded& l) { return l.Tree.SetValue(l.Find("e"), QStringLiteral("a\x01")); }},
        {"comment up before the declaration", [](Loaded& l) { return l.Tree.MoveUp(l.Child(l.Doc.Root(), 1)); }},
        {"root up before the doctype", [](Loaded& l) { l.Tree.Delete(l.Child(l.Doc.Root(), 2)); return l.Tree.MoveUp(l.Find("r")); }},
        {"declaration moved", [](Loaded& l) { return l.Tree.MoveDown(l.Child(l.Doc.Root(), 0)); }},
        {"declaration deleted", [](Loaded& l) { return l.Tree.Delete(l.Child(l.Doc.Root(), 0)); }},
        {"declaration edited", [](Loaded& l) { return l.Tree.SetValue(l.Child(l.Doc.Root(), 0), QStringLiteral("x")); }},
        {"comment before the declaration", [](Loaded& l) { return l.Tree.InsertComment(l.Child(l.Doc.Root(), 0)); }},
        {"root element deleted", [](Loaded& l) { return l.Tree.Delete(l.Find("r")); }},
        {"sub node of a comment", [](Loaded& l) { return l.Tree.Insert(l.Child(l.Find("r"), 0), TXmlInsertPlace::Sub); }},
    };
    for (const Case& c : cases) {
        Loaded l(source);
        QSignalSpy beeps(&l.Tree, &TXmlTreeModel::Refused);
        QSignalSpy attributeBeeps(&l.Attributes, &TXmlAttributeModel::Refused);
        const QByteArray before = c.name == std::string("root up before the doctype") ? QByteArray() : l.Doc.Save();
        EXPECT_EQ(c.run(l), TXmlEditResult::Refused) << c.name;
        EXPECT_EQ(beeps.size() + attributeBeeps.size(), 1) << c.name;
        if (!before.isEmpty()) {
            EXPECT_EQ(l.Doc.Save(), before) << c.name;
        }
    }
}

}  // namespace
