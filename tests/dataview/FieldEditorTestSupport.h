#pragma once

#include "dataview/UCommonFieldEditForm.h"
#include "dataview/UDBViewForm.h"
#include "dataview/UDBViewFormSelector.h"
#include "dataview/UFieldEditor.h"
#include "platform/dac/DacTestSupport.h"
#include "platform/dac/UDataSource.h"
#include "platform/dac/UFieldDataLink.h"
#include "support/VqFakePrompter.h"
#include "support/VqWidgetTestSupport.h"

#include <QCryptographicHash>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

namespace fetest {

// A database of its own, a paged query as the data window opens it, a data
// source over it, and field editors run modally with a body that drives the
// open form and then closes it.
class FieldEditorTest : public dactest::DacTest {
protected:
    void SetUp() override
    {
        vqtest::WidgetApp();
        DacTest::SetUp();
        ASSERT_TRUE(Files.isValid());
    }

    void TearDown() override
    {
        Source.reset();
        Query.reset();
        DacTest::TearDown();
    }

    void Exec(const QString& sql) { Connection->ExecSQL(sql); }

    void OpenQuery(const QString& sql)
    {
        Query = NewQuery(sql);
        Query->SetFetchRows(15);
        Query->SpecificOptions().SetValue(QStringLiteral("FetchAll"), QStringLiteral("False"));
        Source = std::make_unique<TDataSource>();
        Source->SetDataSet(Query.get());
        Query->Open();
    }

    template <class TEditor>
    std::unique_ptr<TEditor> Bind(const QString& field, bool readOnly = false)
    {
        auto editor = std::make_unique<TEditor>();
        editor->SetDataField(field);
        editor->SetDataSource(Source.get());
        editor->SetReadOnly(readOnly);
        return editor;
    }

    // Runs the editor; body works on the shown form, which is closed after it.
    static bool Run(TFieldEditor& editor, const std::function<void(TCommonFieldEditForm&)>& body)
    {
        auto* form = static_cast<TCommonFieldEditForm*>(editor.EditForm());
        QTimer::singleShot(0, form, [form, body] {
            body(*form);
            form->close();
        });
        return editor.Execute();
    }

    static TDBViewForm* Current(TFieldEditForm& form) { return form.CurrentView(); }

    // Makes a tab active the way a click does.
    static void ClickTab(TFieldEditForm& form, TViewKind kind)
    {
        form.PageControl()->setCurrentIndex(form.Selector()->IndexOfView(kind));
    }

    // SHA-256 in hex, as the server's SHA2(x, 256) writes it.
    static QString Sha(const QByteArray& bytes)
    {
        return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }

    QString ServerSha(const QString& column, int id)
    {
        return Scalar(QStringLiteral("select sha2(%1, 256) from t where id = %2").arg(column).arg(id));
    }

    // A value as a second connection reads it.
    QString ReadOnSecondConnection(const QString& sql)
    {
        auto other = dactest::NewConnection();
        other->Connect();
        other->SetDatabase(Database);
        return dactest::Scalar(*other, sql);
    }

    QString WriteFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = Files.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }

    std::unique_ptr<TUniQuery> Query;
    std::unique_ptr<TDataSource> Source;
    vqtest::FakePrompter Prompter;
    QTemporaryDir Files;
};

class LatinFieldEditorTest : public FieldEditorTest {
protected:
    bool UseUnicode() const override { return false; }
};

}  // namespace fetest
