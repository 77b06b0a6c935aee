#pragma once

#include "UDataSource.h"

#include <QString>
#include <functional>

// The tie of one control to one field of a data source: finds the field by
// name when the data set opens and drops it when it closes; tells the control
// when the field's value or the editing state changes, and asks it for its
// pending edit before the row is posted.
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink() = default;

    const QString& FieldName() const { return FFieldName; }
    void SetFieldName(const QString& name);
    // The bound field; null while the data set is closed or has no such field.
    TField* Field() const { return FField; }
    // The field can be changed: link and field not read-only, the data set
    // modifiable.
    bool CanModify() const;
    // Puts the row into edit state when the field can be changed; whether the
    // row is (now) in edit or insert state and the field can be changed.
    bool Edit() override;
    // In edit or insert state and the field can be changed.
    bool Editing() const;
    // The control changed the value without handing it over yet: Post asks
    // for it through the update-data handler.
    bool Modified() const { return FModified; }
    void SetModified();
    // Clears the modified flag and shows the field's value again.
    void Reset();

    // The field's value changed (open, close, scroll, post, cancel, another field).
    void SetOnDataChange(std::function<void()> handler) { FOnDataChange = std::move(handler); }
    // Post is about to write: hand the pending edit to the field.
    void SetOnUpdateData(std::function<void()> handler) { FOnUpdateData = std::move(handler); }
    void SetOnEditingChange(std::function<void()> handler) { FOnEditingChange = std::move(handler); }
    void SetOnActiveChange(std::function<void()> handler) { FOnActiveChange = std::move(handler); }

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;
    void ReadOnlyChanged() override;

private:
    void UpdateField();

    QString FFieldName;
    TField* FField = nullptr;
    bool FModified = false;
    std::function<void()> FOnDataChange;
    std::function<void()> FOnUpdateData;
    std::function<void()> FOnEditingChange;
    std::function<void()> FOnActiveChange;
};
