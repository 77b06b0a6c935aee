#include "FieldEditorTestSupport.h"

#include "base/USystemUtil.h"
#include "dataview/Pharostine.h"
#include "dataview/viewers/UHtmlDBViewForm.h"
#include "dataview/viewers/UJsonDBViewForm.h"
#include "dataview/viewers/UPdfDBViewForm.h"
#include "widgets/UQsci.h"

#include <QFileInfo>
#include <QTcpServer>
#include <QTest>
#include <QTextDocument>

using namespace fetest;

namespace {

QString Hex(const QByteArray& bytes)
{
    return QStringLiteral("x'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

class DocumentViewers : public FieldEditorTest {
protected:
    void MakeRows(const QList<QByteArray>& values)
    {
        Exec(QStringLiteral("create table t (id int primary key, b longblob)"));
        for (int i = 0; i < values.size(); ++i)
            Exec(QStringLiteral("insert into t values (%1, %2)").arg(i + 1).arg(Hex(values[i])));
        OpenQuery(QStringLiteral("select id, b from t order by id"));
    }
    const QByteArray Pdf = "%PDF-1.4\n1 0 obj << >> endobj\ntrailer << >>\n%%EOF\n";
};

TEST_F(DocumentViewers, PdfTempFileLivesFromBindToUnload)
{
    MakeRows({Pdf, "not a pdf"});
    const QString temp = TPdfDBViewForm::TempPdfPath();
    // Its folder is made when missing.
    ASSERT_FALSE(QFileInfo::exists(QFileInfo(temp).path()));
    for (int run = 0; run < 2; ++run) {
        Query->First();
        auto editor = Bind<TPharostine>(QStringLiteral("b"));
        Run(*editor, [&](TCommonFieldEditForm& form) {
            ClickTab(form, TViewKind::Pdf);
            EXPECT_EQ(ReadFile(temp), Pdf);
            EXPECT_EQ(static_cast<TPdfDBViewForm*>(Current(form))->Source(), temp);
            ClickTab(form, TViewKind::Hex);
            EXPECT_FALSE(QFileInfo::exists(temp));
            ClickTab(form, TViewKind::Pdf);
            form.NextExecute();
            ClickTab(form, TViewKind::Pdf);
            EXPECT_FALSE(QFileInfo::exists(temp)) << "a value that is no PDF";
            EXPECT_EQ(static_cast<TPdfDBViewForm*>(Current(form))->Source(), QStringLiteral("_blank"));
            form.PriorExecute();
            ClickTab(form, TViewKind::Pdf);
        });
        EXPECT_FALSE(QFileInfo::exists(temp)) << "after editor " << run;
    }
}

TEST_F(DocumentViewers, PdfLoadPostsTheFile)
{
    MakeRows({Pdf});
    const QByteArray other = Pdf + "% another\n";
    Prompter.QueueText(WriteFile(QStringLiteral("in.pdf"), other));
    Prompter.QueueAnswer(TPromptAnswer::Yes);
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Pdf);
        form.LoadAction()->trigger();
        EXPECT_EQ(static_cast<TPdfDBViewForm*>(Current(form))->Source(), Files.filePath(QStringLiteral("in.pdf")));
    });
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 1), Sha(other));
}

TEST(HtmlPage, StartTagPutInFrontWhenMissing)
{
    const QList<QPair<QString, QString>> cases = {{"<b>x</b>", "<html><b>x</b>"},
                                                  {"", "<html>"},
                                                  {"<HTML><body>y</body></HTML>", "<HTML><body>y</body></HTML>"}};
    for (const auto& [value, page] : cases)
        EXPECT_EQ(THtmlDBViewForm::PageOf(value), page) << value.toStdString();
}

TEST_F(DocumentViewers, HtmlFetchesNothingAndJsonShowsTheValueReadOnly)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const QString local = WriteFile(QStringLiteral("secret.html"), "<p>secret</p>");
    const QString http = QStringLiteral("http://127.0.0.1:%1/a.png").arg(server.serverPort());
    const QString fileUrl = QUrl::fromLocalFile(local).toString();
    const QByteArray html = QStringLiteral("<p>page</p><img src=\"%1\"><img src=\"%2\"><link rel=\"stylesheet\" href=\"%1\">")
                                .arg(http, fileUrl)
                                .toUtf8();
    const QByteArray json = "{\r\n  \"a\": [1, 2],\r\n  \"b\": \"x\"\r\n}";
    MakeRows({html, json});
    auto editor = Bind<TPharostine>(QStringLiteral("b"));
    Run(*editor, [&](TCommonFieldEditForm& form) {
        ClickTab(form, TViewKind::Html);
        auto* view = static_cast<THtmlDBViewForm*>(Current(form));
        QTest::qWait(200);
        EXPECT_TRUE(view->Browser()->toPlainText().contains(QStringLiteral("page")));
        EXPECT_FALSE(server.hasPendingConnections());
        EXPECT_TRUE(view->Browser()->loadResource(QTextDocument::HtmlResource, QUrl(fileUrl)).isNull());
        EXPECT_TRUE(view->Browser()->loadResource(QTextDocument::ImageResource, QUrl(http)).isNull());

        form.NextExecute();
        ClickTab(form, TViewKind::Json);
        QsciScintilla* text = static_cast<TJsonDBViewForm*>(Current(form))->Editor();
        EXPECT_EQ(text->lines(), 4);
        EXPECT_EQ(text->text(2), QStringLiteral("  \"b\": \"x\"\n"));
        QTest::keyClicks(text, "zz");
        EXPECT_FALSE(text->text().contains(QStringLiteral("zz")));
    });
    EXPECT_FALSE(server.hasPendingConnections());
    EXPECT_EQ(ServerSha(QStringLiteral("b"), 2), Sha(json));
}

}  // namespace
