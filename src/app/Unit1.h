#pragma once
// The main window: seven pages, the settings controls of the main page, the
// menus and the open dialog. Every setting control writes its one field of
// CnfData when its shown state or text changes, whether the user or the code
// changed it; SetForm shows the whole record and so runs each changed
// control's handler. The recompute and the report outputs run in the core
// (Recompute) over the program's globals; this window is their view and does
// only what belongs to a window: dialogs, captions, enabling, the pages.
//
// Handlers may throw; the signal connections (all in connectHandlers) run them
// through one guard that shows the error box, so the window stays usable.
//
// After the seven report pages comes the colorgramme page, each UT month as a
// picture. Its months are built once per recompute and by the RMOB page's
// 再計算, so that picture and table use the same settings; after a recompute
// that failed part way they are built when the page is next shown. The RMOB
// page also writes the monthly upload files with the station's information,
// which the dialog 観測局情報 edits.

#include "pipeline/Recompute.h"
#include "shared/Messages.h"

#include <QMainWindow>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class ColorgrammePage;
class QAction;
class QCheckBox;
class QFrame;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class TAboutBox;
class TextView;
class WholeSpinBox;

class TForm1 : public QMainWindow, public RecomputeView {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The open dialog: returns the confirmed name, nothing when cancelled.
    // Tests replace it.
    using OpenDialogCall = std::function<std::optional<QString>(QWidget* parent)>;
    OpenDialogCall openDialog;
    static std::optional<QString> runOpenDialog(QWidget* parent);

    void setAboutBox(TAboutBox* box) { aboutBox_ = box; }

    // Start-up, commands and outputs.
    void FormCreate();
    void DebugCreat();
    void SetForm();
    void ButtonOn();
    void Button1Click();
    void Button6Click();
    void OutPutReport10File();
    void OutPutReport60File();
    void ShowReport();
    void Button4Click();
    void OutPutReportTEXT();
    void Button12Click();
    void ShowRMOB();
    void Button11Click();
    void OutPutRMOBTEXT();
    void Exit1Click();
    void N8Click(); // 初期設定に戻す
    void N7Click(); // 設定を保存
    void N5Click(); // 設定の表示
    void About1Click();
    void showHelp();

    // The colorgramme page, the monthly RMOB files and the station dialog.
    void showColorgramme(); // build the months while they lag behind the data
    void rebuildColorgramme();
    void colorgrammeExportClick();
    void rmobMonthlyClick();
    void stationInfoClick();

    // Setting controls.
    void CBMLongClick();
    void CBMODataClick();
    void CBLongClick();
    void CBOdataClick();
    void CBHRClick();
    void ndChange();
    void CBRepTOFClick();
    void CBRep1l1Click();
    void CBRep1OFClick();
    void CBRep6l1Click();
    void CBRep6OFClick();
    void CBRMOBFClick();
    void CBRMOBLEClick();
    void CBRMOBODClick();
    void RTZChange();
    void CBLEClick();
    void SELEChange();
    void CBODClick();
    void SEODChange();

    // RecomputeView.
    void setDataFileName(const std::string& name) override;
    void setRecomputeCaption(const std::string& caption) override;
    void showRawData(const std::string& bytes) override;
    void clearPage(Page page) override;
    void loadPage(Page page, const std::string& fileName) override;
    void setSummary(const Summary& summary) override;
    std::vector<std::string> textReportLines() override;
    void setTextReportLines(const std::vector<std::string>& lines) override;
    std::vector<std::string> rmobLines() override;
    void setRmobLines(const std::vector<std::string>& lines) override;

    // Pages and views.
    QTabWidget* PageControl1;
    QWidget* TabSheetMain;
    QWidget* TabSheetCSV;
    QWidget* TabSheetReport_txt;
    QWidget* TabSheetReport10_csv;
    QWidget* TabSheetReport60_csv;
    QWidget* TabSheetNoObsList;
    QWidget* TabSheetRMOB;
    TextView* csv_org;
    TextView* Report_View;
    TextView* REReport10;
    TextView* REReport60;
    TextView* NoObsList;
    TextView* RMOB_View;

    // Band 1: data file and summary.
    QLineEdit* csvfilename;
    QLineEdit* StartData;
    QLineEdit* StartDay;
    QLineEdit* InData;
    QLineEdit* AllData;
    QLineEdit* EndData;
    QLineEdit* EndDay;
    QLineEdit* NGData;
    QLineEdit* NotData;

    QPushButton* Button1;  // 読み込み
    QPushButton* Button2;  // text report: file 出力
    QPushButton* Button3;  // report page: 再計算
    QPushButton* Button4;  // report page: file 出力
    QPushButton* Button5;  // velkdata読込
    QPushButton* Button6;  // 再計算
    QPushButton* Button7;  // report10: file 出力
    QPushButton* Button8;  // report60: file 出力
    QPushButton* Button9;  // 終了
    QPushButton* Button10; // RMOB band: file 出力
    QPushButton* Button11; // RMOB page: file 出力
    QPushButton* Button12; // RMOB page: 再計算

    QCheckBox* CBLE;
    WholeSpinBox* SELE;
    QCheckBox* CBOD;
    WholeSpinBox* SEOD;
    QCheckBox* CBRepTOF;
    QCheckBox* CBMLong;
    QCheckBox* CBMOData;
    QCheckBox* CBHR;
    WholeSpinBox* nd;
    QCheckBox* CBRMOBF;
    QCheckBox* CBRMOBLE;
    QCheckBox* CBRMOBOD;
    WholeSpinBox* RTZ;
    QCheckBox* CBRep1l1;
    QCheckBox* CBRep1OF;
    QCheckBox* CBRep6l1;
    QCheckBox* CBRep6OF;
    QCheckBox* CBLong;  // report page twin of CBMLong
    QCheckBox* CBOdata; // report page twin of CBMOData

    QMenu* MenuFile;
    QMenu* MenuSettings;
    QMenu* MenuHelp;
    QMenu* MenuDebug;
    QAction* Open1;
    QAction* Exit1;
    QAction* N8;
    QAction* N7;
    QAction* Help1;
    QAction* About1;
    QAction* N5;

    // The colorgramme page and the monthly RMOB files.
    ColorgrammePage* colorgrammePage;
    QPushButton* rmobMonthlyButton; // RMOB page: 月別ファイル出力
    QCheckBox* rmobMonthlyImages;   // RMOB page: 画像も出力
    QAction* stationAction;         // 設定: 観測局情報

private:
    void buildPages();
    QWidget* buildMainPage();
    void buildMenus();
    void connectHandlers();
    void pageShown(int index);
    TextView* pageView(Page page) const;
    Recompute pipeline();

    // Runs a handler; an error that leaves it is shown in the error box.
    template <typename F> void guarded(F&& handler);
    template <typename Signal, typename Sender>
    void bind(Sender* sender, Signal signal, void (TForm1::*handler)());

    std::string dialogFileName_;   // the name last confirmed, as the file system spells it
    bool colorgrammeStale_ = true; // the months lag behind the hour rows
    TAboutBox* aboutBox_ = nullptr;
    MessageHandler previousMessageHandler_;
};
