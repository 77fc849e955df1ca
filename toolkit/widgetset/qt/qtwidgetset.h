#pragma once

#include "toolkit/widgetset/widgetset.h"

#include <QIcon>

#include <memory>

class TQtApplicationFilter;

// Hands the toolkit's diagnostics (toolkit/core/log.h) to Qt's logging.
void InstallQtLogSink();

// The contract over Qt Widgets: the window objects are Qt widgets, the message loop is
// Qt's, and an application-wide event filter hands the queued mouse presses to the
// application's hook.
class TQtWidgetSet : public TWidgetSet {
public:
    TQtWidgetSet();
    ~TQtWidgetSet() override;

    std::unique_ptr<TWSForm> CreateForm(IWSClient* Client) override;
    std::unique_ptr<TWSGraphicControl> CreateGraphicControl(IWSClient* Client) override;
    std::unique_ptr<TWSLabel> CreateLabel(IWSClient* Client) override;
    std::unique_ptr<TWSButton> CreateButton(IWSClient* Client) override;
    std::unique_ptr<TWSEdit> CreateEdit(IWSClient* Client) override;
    std::unique_ptr<TWSComboBox> CreateComboBox(IWSClient* Client) override;
    std::unique_ptr<TWSRadioButton> CreateRadioButton(IWSClient* Client) override;
    std::unique_ptr<TWSSpinEdit> CreateSpinEdit(IWSClient* Client) override;
    std::unique_ptr<TWSCustomControl> CreateCustomControl(IWSClient* Client) override;
    std::unique_ptr<TWSMessageWindow> CreateMessageWindow(IWSClient* Client) override;
    std::unique_ptr<TWSTimer> CreateTimer(std::function<void()> OnTick) override;

    void Initialize(IWSApplicationClient* Client) override;
    bool Available() const override;
    int Run() override;
    void ProcessMessages() override;
    void Quit(int ExitCode) override;
    void Post(std::function<void()> Work) override;

    int PopupMenu(const std::vector<TWSMenuEntry>& Entries, TPoint At) override;
    std::unique_ptr<TWSMenu> CreateMenu(const std::vector<TWSMenuEntry>& Entries,
        std::function<void(int Command)> OnCommand) override;
    std::unique_ptr<TWSIcon> CreateIcon(const TIcon& Icon) override;
    bool OpenFileDialog(TStringView Title, const std::vector<std::pair<TString, TString>>& Filters,
        int& FilterIndex, TString& FileName, TWindowHandle Owner = nullptr) override;
    TTextMetrics FontMetrics(const TFont& Font) override;
    TSize TextExtent(const TFont& Font, TStringView Text) override;
    TColor SystemColor(TColor Color) override;
    bool HasFontFace(TStringView Name) override;
    bool RightToLeftReading() override;
    void SetApplicationIcon(const TIcon& Icon) override;
    TPoint CursorPos() override;
    void SubstituteLayoutFaces() override;
    void SetFontAlias(TStringView Alias, TStringView Family) override;
    TString ProgramFolder() override;
    std::unique_ptr<TWSSession> Start(
        int& Argc, char** Argv, TStringView ApplicationName, TStringView Language) override;
    bool WatchWakeHandle(std::intptr_t Handle, std::function<void()> OnWake,
        std::function<void()> OnIdle, std::function<void()> OnEnd) override;

private:
    std::unique_ptr<TQtApplicationFilter> FFilter;
    // The program's icon and Qt's icon over it, which the tray's icon reuses when it is
    // the same one (no second conversion, and one icon for the tray hosts to cache).
    TIcon FApplicationIcon;
    QIcon FApplicationQtIcon;
};
