#pragma once

#include <QObject>
#include <QString>
#include <memory>

class TDataSource;
class TDBViewFormSelector;
class TFieldDataLink;
class TFieldEditForm;
class QWidget;

// A field editor: shows one field of the current row of a data source in a
// modal form with one or more viewers. The data window binds it to a field
// (DataField, DataSource, ReadOnly) and runs Execute.
class TFieldEditor : public QObject {
    Q_OBJECT

public:
    ~TFieldEditor() override;

    QString DataField() const;
    void SetDataField(const QString& name);
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* source);
    bool ReadOnly() const;
    void SetReadOnly(bool value);

    // Runs the edit form; false when no data source is bound.
    bool Execute();

    TFieldDataLink* DataLink() const { return FDataLink.get(); }
    TFieldEditForm* EditForm() const { return FEditForm; }
    TDBViewFormSelector* Selector() const { return FSelector.get(); }

protected:
    // owner: the window the form is centred on (may be null).
    explicit TFieldEditor(QWidget* owner);
    // Builds data link, selector, edit form and viewers; each editor's
    // constructor calls it once its own overrides exist.
    void Build();
    virtual void CreateEditForm() = 0;
    virtual void CreateSelector() = 0;

    QWidget* OwnerWidget() const { return FOwner; }

    std::unique_ptr<TFieldDataLink> FDataLink;
    TFieldEditForm* FEditForm = nullptr;
    std::unique_ptr<TDBViewFormSelector> FSelector;

private:
    QWidget* FOwner;
};
