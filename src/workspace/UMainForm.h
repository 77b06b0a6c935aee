#pragma once

#include <QMainWindow>
#include <QList>
#include <memory>

class QComboBox;
class QLabel;
class QMdiArea;
class QSplitter;
class QTabBar;
class QTreeWidget;
class TDBDictionary;
class TDBFacade;
class TDBObjectFactory;
class TDBObjectView;
class TDialogFactory;
class TMainFormActions;
class TMDIChildArea;
class TQuenmarelFormManager;

// The frame window of window mode: menus, action list and toolbar; on the
// left the schema selector over the object tree, on the right the tab strip
// over the child windows. It switches the logon state of the whole window.
//
// Each data action joins the logon switch (AddDataControl) once its window
// is built; until then it stays disabled in both states.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    static QString CaptionNotLoggedOn() { return QStringLiteral("Vantorquill -- Not Logged On"); }

    // FormCreate: the window manager, the database facade over the
    // application object's database object factory.
    explicit TMainForm(QWidget* parent = nullptr);
    // FormDestroy.
    ~TMainForm() override;

    TMainFormActions& Actions() const { return *FActions; }
    TQuenmarelFormManager* FormManager() const { return FFormManager.get(); }
    TDBFacade* DBFacade() const { return FDBFacade.get(); }
    TDBObjectView* ObjectView() const { return FObjectView.get(); }
    TDBObjectFactory* DBObjectFactory() const { return FDBObjectFactory; }
    // The dictionary of the current logon; null while logged off.
    TDBDictionary* Dictionary() const { return FDictionary; }
    bool IsLoggedOn() const { return FLoggedOn; }
    // A control enabled by logon and disabled by logoff.
    void AddDataControl(QObject* control);

    // Handlers.
    void FormShow();
    void actLogonExecute();
    void actLogoffExecute();
    void actExitExecute();
    void mniContentClick();
    void mniHomepageClick();
    void mniEmailClick();
    void OpenExceptionFile1Click();
    void mniAboutClick();
    void Options1Click();
    void ShowLog1Click();
    void ScheduledTasks1Click();
    void pmTreePopup();

    // Components.
    QWidget* pnlBg;
    QSplitter* Splitter1;   // between the left panel and the child area
    QSplitter* Splitter2;   // between pnlSchema and tvDB
    QWidget* pnlSchema;
    QLabel* lblSchema;
    QComboBox* cbbSchema;
    QTreeWidget* tvDB;
    TMDIChildArea* ChildArea;
    QTabBar* pgcChild;
    QMdiArea* MdiArea;

Q_SIGNALS:
    // After a successful logon, before the actions are switched: the object
    // tree fills itself here.
    void LoggedOn();
    // After a logoff, before the actions are switched: the tree empties.
    void LoggedOff();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void BindHandlers();
    void SetLogonState(bool loggedOn);
    // The object tree with its popup and the Table menu, About, Options, Show Log.
    void BindTreeAndDialogs();

    TMainFormActions* FActions;   // owned by this window
    std::unique_ptr<TQuenmarelFormManager> FFormManager;
    std::unique_ptr<TDBFacade> FDBFacade;
    std::unique_ptr<TDialogFactory> FDialogFactory;
    std::unique_ptr<TDBObjectView> FObjectView;
    TDBObjectFactory* FDBObjectFactory = nullptr;   // borrowed from the application object
    TDBDictionary* FDictionary = nullptr;           // borrowed from the factory
    QList<QObject*> FDataControls;
    bool FLoggedOn = false;
    bool FFirstShowQueued = false;
};
