#pragma once

#include "platform/dac/UDataSource.h"

#include <QToolBar>
#include <array>

class QAction;

// The record navigator: First, Prior, Next, Last, Insert, Delete, Edit, Post,
// Cancel and Refresh over a data source, each enabled by the data set's state
// and position. Delete asks "Delete record?" first.
class TDBNavigator : public QToolBar, private TDataLink {
    Q_OBJECT
public:
    enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
    static constexpr int ButtonCount = nbRefresh + 1;

    explicit TDBNavigator(QWidget* parent = nullptr);
    ~TDBNavigator() override;

    TDataSource* DataSource() const { return TDataLink::DataSource(); }
    void SetDataSource(TDataSource* source);
    QAction* Button(TNavigateBtn button) const { return FButtons[size_t(button)]; }
    // What a click on a button does (errors raise).
    void BtnClick(TNavigateBtn button);

private:
    void ActiveChanged() override { UpdateButtons(); }
    void EditingChanged() override { UpdateButtons(); }
    void DataSetChanged() override { UpdateButtons(); }
    void DataSetScrolled() override { UpdateButtons(); }
    void RowInserted(qint64) override { UpdateButtons(); }
    void RowDeleted(qint64) override { UpdateButtons(); }
    void RowsFetched(qint64, qint64) override { UpdateButtons(); }
    void UpdateButtons();

    std::array<QAction*, ButtonCount> FButtons{};
};
