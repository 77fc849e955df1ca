#include "toolkit/widgetset/qt/qtwidgetset.h"

#include "toolkit/platform/displayplatform.h"
#include "toolkit/qt/qtconvert.h"
#include "toolkit/qt/qttranslation.h"
#include "toolkit/widgetset/qt/qtfont.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIconEngine>
#include <QLocale>
#include <QLoggingCategory>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <string>

// Presents each queued mouse press to the application's hook before it is delivered,
// and has Qt's translation read before a context menu of Qt's own is built.
class TQtApplicationFilter : public QObject {
public:
    IWSApplicationClient* Client = nullptr;
    bool Connected = false; // to the application's state changes

    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        switch (Event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (Watched->isWidgetType() && Client) {
                return Dispatch(static_cast<QWidget*>(Watched), static_cast<QMouseEvent*>(Event));
            }
            break;
        case QEvent::ContextMenu:
            // An edit field builds its context menu from Qt's own texts.
            LoadQtTranslation();
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool Dispatch(QWidget* Receiver, QMouseEvent* Mouse)
    {
        // Qt offers a press that a child ignored to its parents as well; the hook sees
        // each press once, addressed to the window that received it first.
        const qint64 Time = qint64(Mouse->timestamp());
        const QPoint Pos = Mouse->globalPosition().toPoint();
        if (Time == FLastPressTime && Pos == FLastPressPos) {
            return false;
        }
        FLastPressTime = Time;
        FLastPressPos = Pos;
        const bool Double = Mouse->type() == QEvent::MouseButtonDblClick;
        TMsg Msg;
        Msg.hwnd = HandleOf(Receiver);
        switch (Mouse->button()) {
        case Qt::LeftButton:
            Msg.message = Double ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
            break;
        case Qt::RightButton:
            Msg.message = Double ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN;
            break;
        case Qt::MiddleButton:
            Msg.message = Double ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN;
            break;
        default:
            return false;
        }
        const QPoint Local = Mouse->position().toPoint();
        Msg.lParam = MakeLParam(Local.x(), Local.y());
        Msg.pt = FromQt(Pos);
        return Client->WSQueuedMessage(Msg);
    }

    qint64 FLastPressTime = -1;
    QPoint FLastPressPos;
};

namespace {
class TQtTimer : public TWSTimer {
public:
    explicit TQtTimer(std::function<void()> OnTick)
    {
        QObject::connect(&FTimer, &QTimer::timeout, &FTimer, std::move(OnTick));
    }
    void Start(int IntervalMs, bool SingleShot, bool Precise) override
    {
        // Whole seconds round to the second: such timers share one wake-up a second.
        FTimer.setTimerType(Precise      ? Qt::PreciseTimer
                : IntervalMs % 1000 == 0 ? Qt::VeryCoarseTimer
                                         : Qt::CoarseTimer);
        FTimer.setSingleShot(SingleShot);
        FTimer.start(IntervalMs);
    }
    void Stop() override { FTimer.stop(); }
    bool Active() const override { return FTimer.isActive(); }

private:
    QTimer FTimer;
};

// A QMenu whose chosen actions report their command; Qt's StatusNotifierItem side turns
// it into the menu the tray host draws.
class TQtMenu : public TWSMenu {
public:
    TMenuHandle Handle() const override { return MenuHandleOf(const_cast<QMenu*>(&FMenu)); }
    QMenu FMenu;
};

class TQtIcon : public TWSIcon {
public:
    TIconHandle Handle() const override { return FIcon.isNull() ? nullptr : IconHandleOf(FIcon); }
    QIcon FIcon;
};

// Qt's icon over the toolkit's: it shares the icon's images and makes each pixmap asked
// for from the nearest of them (the window manager's, the tray's) when asked, so the
// program holds its icon's pixels once.
class TQtIconEngine : public QIconEngine {
public:
    explicit TQtIconEngine(const TIcon& AIcon)
        : FIcon(AIcon)
    {
    }
    QIconEngine* clone() const override { return new TQtIconEngine(FIcon); }
    bool isNull() override { return FIcon.IsEmpty(); }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> Sizes;
        for (const TBitmap32& Image : FIcon.Images()) {
            Sizes << QSize(Image.Width(), Image.Height());
        }
        return Sizes;
    }
    QSize actualSize(const QSize& Size, QIcon::Mode, QIcon::State) override
    {
        const TBitmap32* Image = Nearest(Size);
        if (!Image) {
            return {};
        }
        const QSize Own(Image->Width(), Image->Height());
        return Own.width() > Size.width() || Own.height() > Size.height()
            ? Own.scaled(Size, Qt::KeepAspectRatio)
            : Own;
    }
    // The nearest image, scaled down to fit, never up.
    QPixmap pixmap(const QSize& Size, QIcon::Mode, QIcon::State) override
    {
        const TBitmap32* Image = Nearest(Size);
        if (!Image) {
            return {};
        }
        QImage Result = ToQt(*Image);
        if (Result.width() > Size.width() || Result.height() > Size.height()) {
            Result = Result.scaled(Size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        return QPixmap::fromImage(std::move(Result));
    }
    void paint(QPainter* Painter, const QRect& Rect, QIcon::Mode Mode, QIcon::State State) override
    {
        const QPixmap Pixmap = pixmap(Rect.size(), Mode, State);
        const QSize Size = Pixmap.size();
        Painter->drawPixmap(QRect(Rect.topLeft()
                                    + QPoint((Rect.width() - Size.width()) / 2,
                                        (Rect.height() - Size.height()) / 2),
                                Size),
            Pixmap);
    }

private:
    // The smallest image that covers Size, else the largest.
    const TBitmap32* Nearest(const QSize& Size) const
    {
        const TBitmap32* Best = nullptr;
        bool BestCovers = false;
        qint64 BestArea = 0;
        for (const TBitmap32& Image : FIcon.Images()) {
            const bool Covers = Image.Width() >= Size.width() && Image.Height() >= Size.height();
            const qint64 Area = qint64(Image.Width()) * Image.Height();
            if (!Best || (Covers && (!BestCovers || Area < BestArea))
                || (!Covers && !BestCovers && Area > BestArea)) {
                Best = &Image;
                BestCovers = Covers;
                BestArea = Area;
            }
        }
        return Best;
    }
    TIcon FIcon;
};

QIcon QtIcon(const TIcon& Icon)
{
    return Icon.IsEmpty() ? QIcon() : QIcon(new TQtIconEngine(Icon));
}

void FillMenu(QMenu* Menu, const std::vector<TWSMenuEntry>& Entries)
{
    for (const TWSMenuEntry& Entry : Entries) {
        if (Entry.Caption == u"-") {
            Menu->addSeparator();
        } else if (!Entry.Children.empty()) {
            QMenu* Sub = Menu->addMenu(ToQt(Entry.Caption));
            Sub->setEnabled(Entry.Enabled);
            FillMenu(Sub, Entry.Children);
        } else {
            QAction* Action = Menu->addAction(ToQt(Entry.Caption));
            Action->setEnabled(Entry.Enabled);
            Action->setData(Entry.Command);
        }
    }
}
}

TQtWidgetSet::TQtWidgetSet()
    : FFilter(std::make_unique<TQtApplicationFilter>())
{
    InstallQtLogSink();
}

TQtWidgetSet::~TQtWidgetSet()
{
    if (QCoreApplication::instance()) {
        qApp->removeEventFilter(FFilter.get());
    }
}

std::unique_ptr<TWSTimer> TQtWidgetSet::CreateTimer(std::function<void()> OnTick)
{
    return std::make_unique<TQtTimer>(std::move(OnTick));
}

void TQtWidgetSet::Initialize(IWSApplicationClient* Client)
{
    FFilter->Client = Client;
    if (!QCoreApplication::instance()) {
        return;
    }
    if (!Client) {
        qApp->removeEventFilter(FFilter.get());
        return;
    }
    qApp->installEventFilter(FFilter.get());
    QApplication::setQuitOnLastWindowClosed(false);
    if (!FFilter->Connected) {
        FFilter->Connected = true;
        QObject::connect(qApp, &QGuiApplication::applicationStateChanged, FFilter.get(),
            [this](Qt::ApplicationState State) {
                if (State == Qt::ApplicationActive && FFilter->Client) {
                    FFilter->Client->WSActivated();
                }
            });
    }
}

void TQtWidgetSet::SubstituteLayoutFaces()
{
    InstallQtFontSubstitutions();
}

bool TQtWidgetSet::Available() const
{
    return QCoreApplication::instance() != nullptr;
}

int TQtWidgetSet::Run()
{
    return QApplication::exec();
}

void TQtWidgetSet::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void TQtWidgetSet::Quit(int ExitCode)
{
    QCoreApplication::exit(ExitCode);
}

void TQtWidgetSet::Post(std::function<void()> Work)
{
    QMetaObject::invokeMethod(qApp, std::move(Work), Qt::QueuedConnection);
}

int TQtWidgetSet::PopupMenu(const std::vector<TWSMenuEntry>& Entries, TPoint At)
{
    QMenu Menu;
    FillMenu(&Menu, Entries);
    const QAction* Chosen = Menu.exec(ToQt(At));
    return Chosen ? Chosen->data().toInt() : 0;
}

std::unique_ptr<TWSMenu> TQtWidgetSet::CreateMenu(
    const std::vector<TWSMenuEntry>& Entries, std::function<void(int Command)> OnCommand)
{
    auto Menu = std::make_unique<TQtMenu>();
    FillMenu(&Menu->FMenu, Entries);
    QObject::connect(&Menu->FMenu, &QMenu::triggered, &Menu->FMenu,
        [OnCommand = std::move(OnCommand)](QAction* Action) { OnCommand(Action->data().toInt()); });
    return Menu;
}

std::unique_ptr<TWSIcon> TQtWidgetSet::CreateIcon(const TIcon& Icon)
{
    auto Result = std::make_unique<TQtIcon>();
    Result->FIcon = Icon.SharesImagesWith(FApplicationIcon) ? FApplicationQtIcon : QtIcon(Icon);
    return Result;
}

bool TQtWidgetSet::OpenFileDialog(TStringView Title,
    const std::vector<std::pair<TString, TString>>& Filters, int& FilterIndex, TString& FileName,
    TWindowHandle Owner)
{
    // Built only when asked for: nothing of the dialog is loaded at start.
    LoadQtTranslation();
    QFileDialog Dialog(WidgetOf(Owner), ToQt(Title));
    Dialog.setFileMode(QFileDialog::AnyFile);
    Dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList Names;
    for (const auto& [Description, Patterns] : Filters) {
        Names << QStringLiteral("%1 (%2)").arg(
            ToQt(Description), ToQt(Patterns).replace(QLatin1Char(';'), QLatin1Char(' ')));
    }
    Dialog.setNameFilters(Names);
    if (FilterIndex >= 1 && FilterIndex <= Names.size()) {
        Dialog.selectNameFilter(Names[FilterIndex - 1]);
    }
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty()) {
        return false;
    }
    FileName = FromQt(Dialog.selectedFiles().first());
    FilterIndex = int(Names.indexOf(Dialog.selectedNameFilter())) + 1;
    return !FileName.empty();
}

TTextMetrics TQtWidgetSet::FontMetrics(const TFont& Font)
{
    return QtMetrics(Font);
}

TSize TQtWidgetSet::TextExtent(const TFont& Font, TStringView Text)
{
    const QFontMetrics M(QtFont(Font));
    return { M.horizontalAdvance(ToQt(Text)), M.height() };
}

TColor TQtWidgetSet::SystemColor(TColor Color)
{
    const QColor C = QtColor(Color);
    return RGBColor(C.red(), C.green(), C.blue());
}

bool TQtWidgetSet::HasFontFace(TStringView Name)
{
    return QFontDatabase::families().contains(ToQt(Name), Qt::CaseInsensitive);
}

bool TQtWidgetSet::RightToLeftReading()
{
    return QGuiApplication::isRightToLeft();
}

void TQtWidgetSet::SetApplicationIcon(const TIcon& Icon)
{
    FApplicationIcon = Icon;
    FApplicationQtIcon = QtIcon(Icon);
    QApplication::setWindowIcon(FApplicationQtIcon);
}

TPoint TQtWidgetSet::CursorPos()
{
    return FromQt(QCursor::pos());
}

TWidgetSet& WidgetSet()
{
    static TQtWidgetSet Set;
    return Set;
}

void TQtWidgetSet::SetFontAlias(TStringView Alias, TStringView Family)
{
    QFont::insertSubstitution(ToQt(Alias), ToQt(Family));
}

TString TQtWidgetSet::ProgramFolder()
{
    return FromQt(QCoreApplication::applicationDirPath()) + u'/';
}

namespace {
// The program's QApplication, made on the windowing platform the environment calls for.
// Its choice is logged in the program's own category ("<name>.platform", info level).
class TQtSession : public TWSSession {
public:
    TQtSession(int& Argc, char** Argv, TStringView ApplicationName, TStringView Language)
        : FCategoryName(StringToUtf8(ApplicationName) + ".platform")
        , FCategory(FCategoryName.c_str(), QtWarningMsg)
    {
        if (!QCoreApplication::instance()) {
            // X11 where an X server is there (XWayland too), Wayland alone otherwise.
            auto Choice = std::make_unique<TDisplayPlatformChoice>();
            FApplication = std::make_unique<QApplication>(Argc, Argv);
            qCInfo(FCategory) << "windowing platform" << QApplication::platformName() << "chosen"
                              << (Choice->Platform().empty()
                                         ? QByteArray("by Qt")
                                         : QByteArray::fromStdString(Choice->Platform()));
        }
        QApplication::setApplicationName(ToQt(ApplicationName));
        QApplication::setDesktopFileName(ToQt(ApplicationName));
        // Qt's own dialog texts (file dialog, message box buttons), read when first needed.
        SetQtTranslationLocale(QLocale(ToQt(Language)));
    }

private:
    std::string FCategoryName; // named by the category for as long as it lives
    QLoggingCategory FCategory;
    std::unique_ptr<QApplication> FApplication; // null: the caller's own
};
}

std::unique_ptr<TWSSession> TQtWidgetSet::Start(
    int& Argc, char** Argv, TStringView ApplicationName, TStringView Language)
{
    return std::make_unique<TQtSession>(Argc, Argv, ApplicationName, Language);
}

namespace {
// Watches a wake-up handle for the application it is a child of: its end (at the loop's
// end, or with the application object) stops the notifier before OnEnd, which may close
// the handle (its number may be reused at once).
class TQtWakeWatch : public QObject {
public:
    TQtWakeWatch(std::intptr_t Handle, std::function<void()> OnWake, std::function<void()> OnIdle,
        std::function<void()> OnEnd)
        // The core application: a program without widgets (a test) has no QApplication.
        : QObject(QCoreApplication::instance())
        , FNotifier(qintptr(Handle), QSocketNotifier::Read, this)
        , FOnEnd(std::move(OnEnd))
    {
        QObject::connect(&FNotifier, &QSocketNotifier::activated, this, std::move(OnWake));
        // "The loop has ended" is the application's exec returning; nested loops (modal
        // boxes) keep watching.
        QObject::connect(
            QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { End(); });
        if (QAbstractEventDispatcher* Dispatcher = QAbstractEventDispatcher::instance()) {
            QObject::connect(
                Dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, std::move(OnIdle));
        }
    }
    ~TQtWakeWatch() override { End(); }

private:
    void End()
    {
        FNotifier.setEnabled(false);
        if (auto OnEnd = std::exchange(FOnEnd, nullptr)) {
            OnEnd();
        }
    }

    QSocketNotifier FNotifier;
    std::function<void()> FOnEnd;
};
}

bool TQtWidgetSet::WatchWakeHandle(std::intptr_t Handle, std::function<void()> OnWake,
    std::function<void()> OnIdle, std::function<void()> OnEnd)
{
    QCoreApplication* App = QCoreApplication::instance();
    if (!App || QThread::currentThread() != App->thread()) {
        return false;
    }
    new TQtWakeWatch(Handle, std::move(OnWake), std::move(OnIdle), std::move(OnEnd));
    return true;
}
