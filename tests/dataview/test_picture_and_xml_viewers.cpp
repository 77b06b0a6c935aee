#include "FieldEditorTestSupport.h"

#include "dataview/Pharostine.h"
#include "dataview/XmlEdit.h"
#include "dataview/viewers/UAlterImageDBViewForm.h"
#include "dataview/viewers/UXmlDBViewForm.h"

#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>
#include <QtEndian>

using namespace fetest;

namespace {

QByteArray Picture(const char* format, QSize size = QSize(4, 3))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

// A JPEG whose first segment is an Exif one: "Exif" from byte 6.
QByteArray ExifJpeg()
{
    return QByteArray("\xFF\xD8\xFF\xE1\x00\x08" "Exif\0\0", 12) + Picture("JPG").mid(2);
}

QByteArray OnePixelGif()
{
    return QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
                      "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02" "D\x01\x00;",
                      43);
}

// A bitmap header that claims 60000 x 60000 pixels.
QByteArray BitmapBomb()
{
    QByteArray bytes("BM", 2);
    auto put32 = [&bytes](quint32 v) { bytes.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&bytes](quint16 v) { bytes.append(reinterpret_cast<const char*>(&v), 2); };
    put32(qToLittleEndian(quint32(1000))), put32(0), put32(qToLittleEndian(quint32(54)));
    put32(qToLittleEndian(quint32(40))), put32(qToLittleEndian(quint32(60000))), put32(qToLittleEndian(quint32(60000)));
    put16(qToLittleEndian(quint16(1))), put16(qToLittleEndian(quint16(32)));
    for (int i = 0; i < 6; ++i)
        put32(0);
    return bytes + QByteArray(64, '\0');
}

QString Hex(const QByteArray& bytes)
{
    return bytes.isNull() ? QStringLiteral("NULL") : QStringLiteral("x'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

class PictureViewer : public FieldEditorTest {};

TEST_F(PictureViewer, PicturesOpenOnImageOthersFallThroughSilently)
{
    const struct {
        const char* name;
        QByteArray bytes;
        TViewKind view;
    } rows[] = {
        {"JFIF JPEG", Picture("JPG"), TViewKind::Image},
        {"NULL", QByteArray(), TViewKind::Hex},
        {"Exif JPEG", ExifJpeg(), TViewKind::Image},
        {"NULL", QByteArray(), TViewKind::Hex},
        {"PNG", Picture("PNG"), TViewKind::Image},
        {"BMP", Picture("BMP"), TViewKind::Image},
        {"GIF", OnePixelGif(), TViewKind::Image},
        {"ICO", Picture("ICO", QSize(16, 16)), TViewKind::Image},
        {"WMF", QByteArray("\xD7\xCD\xC6\x9A", 4) + QByteArray(40, '\x01'), TViewKind::Hex},
        {"garbage", QByteArray("not a picture at all"), TViewKind::Hex},
        {"bomb", BitmapBomb(), TViewKind::Hex},
    };
    Exec(QStringLiteral("create table t (id int primary key, b longblob)"));
    int id = 0;
    for (const auto& row : rows)
        Exec(QStringLiteral("insert into t values (%1, %2)").arg(++id).arg(Hex(row.bytes)));
    OpenQuery(QStringLiteral("select id, b from t order by id"));
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Run(*editor, [&](TCommonFieldEditForm& form) {
        auto* image = static_cast<TAlterImageDBViewForm*>(form.Selector()->FindView(TViewKind::Image));
        for (const auto& row : rows) {
            EXPECT_EQ(Current(form)->Kind(), row.view) << row.name;
            // The probe leaves the Image viewer unbound unless it was chosen.
            EXPECT_EQ(image->Bound(), row.view == TViewKind::Image) << row.name;
            form.NextExecute();
        }
    });
    EXPECT_TRUE(Prompter.Messages().isEmpty());
}

TEST_F(PictureViewer, LoadPostsTheFileAndSaveWritesTheValue)
{
    const QByteArray gif = OnePixelGif();
    Exec(QStringLiteral("create table t (id int primary key, b longblob)"));
    Exec(QStringLiteral("insert into t values (1, %1)").arg(Hex(Picture("PNG"))));
    OpenQuery(QStringLiteral("select id, b from t"));
    const QString loaded = WriteFile(QStringLiteral("in.gif"), gif);
    const QString saved = Files.filePath(QStringLiteral("out.gif"));
    Prompter.QueueText(loaded);
    Prompter.QueueText(saved);
    Prompter.QueueAnswer(TPromptAnswer::Yes);   // Save Changes? at close
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Run(*editor, [&](TCommonFieldEditForm& form) {
        auto* image = static_cast<TAlterImageDBViewForm*>(Current(form));
        ASSERT_EQ(image->Kind(), TViewKind::Image);
        EXPECT_EQ(image->PictureSize(), QSize(4, 3));
        form.LoadAction()->trigger();
        EXPECT_EQ(image->PictureSize(), QSize(1, 1));
        form.SaveAction()->trigger();
    });
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 1), Sha(gif));
    EXPECT_EQ(ReadFile(saved), gif);
    EXPECT_TRUE(Prompter.Messages().contains(QStringLiteral("File ") + saved + QStringLiteral(" saved.")));
}

TEST(PictureFit, SizesKeepTheAspectAndNeverGrow)
{
    const struct {
        TImageFit fit;
        QSize picture, panel, shown;
    } cases[] = {
        {TImageFit::Width, {100, 50}, {200, 200}, {100, 50}},   // narrower: natural size
        {TImageFit::Width, {400, 300}, {200, 200}, {200, 150}}, // wider: scaled to the panel
        {TImageFit::Height, {400, 300}, {500, 150}, {200, 150}},
        {TImageFit::Width, {4, 5}, {2, 9}, {2, 2}},             // 2.5 to the even 2
        {TImageFit::Width, {4, 7}, {2, 9}, {2, 4}},             // 3.5 to the even 4
        {TImageFit::Height, {5, 4}, {9, 2}, {2, 2}},
        {TImageFit::Normal, {640, 480}, {10, 10}, {640, 480}},
        {TImageFit::Height, {0, 0}, {10, 10}, {}},              // no picture: nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(TAlterImageDBViewForm::FitSize(c.fit, c.picture, c.panel), c.shown) << c.picture.width() << "x" << c.picture.height();
}

class XmlViewer : public FieldEditorTest {
protected:
    static TXmlForm* XmlOf(TFieldEditForm& form)
    {
        return static_cast<TXmlDBViewForm*>(form.Selector()->FindView(TViewKind::Xml))->XmlEdit()->Form();
    }
    static void SelectRoot(TXmlForm* xml)
    {
        const QModelIndex root = xml->TreeModel()->IndexOf(xml->Document().RootElement());
        xml->Tree()->setCurrentIndex(root);
    }
    int SaveQuestions() const
    {
        int count = 0;
        for (const auto& p : Prompter.Prompts)
            count += p.text == QLatin1String("Save Changes?");
        return count;
    }
};

TEST_F(XmlViewer, ArrowKeyAsksToSaveAndEditsReachTextAndBlob)
{
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<r a='1'>\n  <b/>\n</r>";
    Exec(QStringLiteral("create table t (id int primary key, m text, b longblob)"));
    Exec(QStringLiteral("insert into t values (1, %1, %1)").arg(Hex(xml)));
    OpenQuery(QStringLiteral("select id, m, b from t"));
    for (const QString& column : {QStringLiteral("m"), QStringLiteral("b")}) {
        // An arrow key: the row is edited, the value's bytes stay as they were.
        Prompter.QueueAnswer(TPromptAnswer::Yes);
        auto editor = Bind<TPharostine>(column);
        Run(*editor, [&](TCommonFieldEditForm& form) {
            ClickTab(form, TViewKind::Xml);
            TXmlForm* xmlForm = XmlOf(form);
            SelectRoot(xmlForm);
            EXPECT_EQ(xmlForm->Source()->toPlainText(), QStringLiteral("<r a=\"1\">\n  <b/>\n</r>"));
            QTest::keyClick(xmlForm->Tree(), Qt::Key_Down);
        });
        EXPECT_EQ(SaveQuestions(), 1) << column.toStdString();
        EXPECT_EQ(ServerSha(column, 1), Sha(xml));

        Prompter.Prompts.clear();
        Prompter.QueueAnswer(TPromptAnswer::Yes);
        editor = Bind<TPharostine>(column);
        Run(*editor, [&](TCommonFieldEditForm& form) {
            ClickTab(form, TViewKind::Xml);
            TXmlForm* xmlForm = XmlOf(form);
            SelectRoot(xmlForm);
            xmlForm->AddAttribute();
        });
        EXPECT_EQ(SaveQuestions(), 1);
        EXPECT_EQ(ServerSha(column, 1), Sha("<?xml version=\"1.0\"?>\n<r a=\"1\" attribute=\"\">\n  <b/>\n</r>"))
            << column.toStdString();
        Prompter.Prompts.clear();
    }
}

TEST_F(XmlViewer, EmptyOrMalformedValuesWriteNothing)
{
    Exec(QStringLiteral("create table t (id int primary key, b longblob)"));
    Exec(QStringLiteral("insert into t values (1, '<r><a/></r>'), (2, ''), (3, '<r><a></r>')"));
    OpenQuery(QStringLiteral("select id, b from t order by id"));
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Xml);
        TXmlForm* xml = XmlOf(form);
        ASSERT_EQ(xml->TreeModel()->rowCount(), 1);
        form.NextExecute();
        ClickTab(form, TViewKind::Xml);
        // The old document stays on view; edits to it reach no field.
        ASSERT_EQ(xml->TreeModel()->rowCount(), 1);
        SelectRoot(xml);
        xml->InsertElement(TXmlInsertPlace::Sub);
        QTest::keyClick(xml->Tree(), Qt::Key_Down);
        EXPECT_EQ(SaveQuestions(), 0);
        form.NextExecute();
        ClickTab(form, TViewKind::Xml);
        EXPECT_EQ(xml->Source()->toPlainText(), QStringLiteral("(Start-end tags mismatch at offset 8)"));
        EXPECT_EQ(xml->TreeModel()->rowCount(), 0);
    });
    EXPECT_EQ(SaveQuestions(), 0);
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 2), Sha(""));
}

}  // namespace
