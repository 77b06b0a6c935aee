#include "FieldEditorTestSupport.h"

#include "base/UException.h"
#include "base/USystemUtil.h"
#include "settings/URegUtil.h"
#include "dataview/Pharostine.h"
#include "dataview/viewers/UExtDBViewForm.h"
#include "support/VqFakeShellOpener.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace fetest;

namespace {

// The file types come from a fixture MIME database and two desktop files.
class OpenWithViewer : public FieldEditorTest {
protected:
    void SetUp() override
    {
        qputenv("XDG_DATA_DIRS", vqtest::TestDataPath(QStringLiteral("openwith")).toUtf8());
        TExtDBViewForm::ForgetFileTypes();
        // The viewer makes only the last level of its folder.
        ASSERT_TRUE(QDir().mkpath(GetAppDataDir()));
        FieldEditorTest::SetUp();
        Exec(QStringLiteral("create table t (id int primary key, b longblob)"));
        Exec(QStringLiteral("insert into t values (1, x'00ff0d0a41')"));
        OpenQuery(QStringLiteral("select id, b from t"));
    }

    void RunOpenWith(const std::function<void(TExtDBViewForm&)>& body)
    {
        auto editor = Bind<TPharostine>(QStringLiteral("b"));
        Run(*editor, [&](TCommonFieldEditForm& form) {
            ClickTab(form, TViewKind::OpenWith);
            body(*static_cast<TExtDBViewForm*>(Current(form)));
        });
    }

    vqtest::FakeShellOpener Opener;
    const QByteArray Value = QByteArray::fromHex("00ff0d0a41");
};

TEST_F(OpenWithViewer, ListChoosesTheTypeAndOpenHandsTheFileToTheDesktop)
{
    const QString folder = GetAppDataDir() + QStringLiteral("/pharostine");
    ASSERT_FALSE(QFileInfo::exists(folder));
    QString written;
    RunOpenWith([&](TExtDBViewForm& view) {
        // First use: the folder below the data folder is made and kept.
        EXPECT_EQ(view.TempFolder(), folder);
        EXPECT_EQ(QFileInfo(folder).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_EQ(RegReadString(TExtDBViewForm::RegistryKey, TExtDBViewForm::TempFolderValue), folder);

        view.ChooseSelectedType();   // nothing selected: nothing happens
        EXPECT_TRUE(view.OpenMode().isEmpty());
        view.GetButton()->click();
        EXPECT_FALSE(view.GetButton()->isEnabled());
        QStringList entries;
        for (int i = 0; i < view.List()->count(); ++i)
            entries << view.List()->item(i)->text();
        EXPECT_EQ(entries, (QStringList{"Tar archive (gzip-compressed) (.tar.gz)", "Tar archive (gzip-compressed) (.tgz)",
                                        "Text Document (.txt)"}));
        view.List()->setCurrentRow(0);
        view.ChooseSelectedType();
        EXPECT_EQ(view.ExtensionEdit()->text(), QStringLiteral(".tar.gz"));
        view.List()->setCurrentRow(2);
        view.ChooseSelectedType();
        EXPECT_EQ(view.ExtensionEdit()->text(), QStringLiteral(".txt"));
        EXPECT_EQ(view.ProgramEdit()->text(), QStringLiteral("/usr/bin/env vq-editor %f"));
        EXPECT_EQ(view.OpenMode(), TExtDBViewForm::ModeSystem);

        view.findChild<QPushButton*>(QStringLiteral("btnExe"))->click();
        written = folder + QStringLiteral("/temp.txt");
        EXPECT_EQ(view.TempFile(), written);
        EXPECT_EQ(Sha(ReadFile(written)), ServerSha(QStringLiteral("b"), 1));
        EXPECT_EQ(QFileInfo(written).permissions() & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
        EXPECT_EQ(Opener.Documents, QStringList{written});
        EXPECT_TRUE(Opener.Programs.isEmpty());
        view.findChild<QPushButton*>(QStringLiteral("btnClear"))->click();
        EXPECT_FALSE(QFileInfo::exists(written));
    });
    // The next data window shows the list at once.
    RunOpenWith([&](TExtDBViewForm& view) {
        EXPECT_EQ(view.List()->count(), 3);
        EXPECT_FALSE(view.GetButton()->isEnabled());
    });
}

TEST_F(OpenWithViewer, ChosenProgramGetsThePathAsOneArgument)
{
    const QString blanks = Files.filePath(QStringLiteral("my temp files"));
    QString firstFolder;
    RunOpenWith([&](TExtDBViewForm& view) {
        firstFolder = view.TempFolder();
        view.SetTempFolderText(blanks);
        view.SetProgramText(QStringLiteral("/opt/some viewer/bin/view"));
        EXPECT_EQ(view.OpenMode(), TExtDBViewForm::ModeSelect);
        view.OpenTempFile();
        // The folder chosen applies to later windows only.
        EXPECT_EQ(view.TempFile(), firstFolder + QStringLiteral("/temp.tmp"));

        // A name that would leave the folder is refused.
        for (const QString& bad : {QStringLiteral("/../x"), QStringLiteral(".a") + QChar(u'\0') + QStringLiteral("b")}) {
            view.ExtensionEdit()->setText(bad);
            EXPECT_THROW(view.OpenTempFile(), Exception);
        }
    });
    ASSERT_EQ(Opener.Programs.size(), 1);
    EXPECT_EQ(Opener.Programs[0].program, QStringLiteral("/opt/some viewer/bin/view"));
    EXPECT_EQ(Opener.Programs[0].arguments, QStringList{firstFolder + QStringLiteral("/temp.tmp")});

    RunOpenWith([&](TExtDBViewForm& view) {
        EXPECT_EQ(view.TempFolder(), blanks);
        EXPECT_TRUE(QFileInfo(blanks).isDir());
        view.SetProgramText(QStringLiteral("/bin/prog"));
        view.OpenTempFile();
        EXPECT_EQ(ReadFile(blanks + QStringLiteral("/temp.tmp")), Value);
    });
    EXPECT_EQ(Opener.Programs.last().arguments, QStringList{blanks + QStringLiteral("/temp.tmp")});
}

}  // namespace
