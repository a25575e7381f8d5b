#include "app/search/SearchWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <filesystem>
#include <utility>

namespace {

// The window's texts.
constexpr const char* kFolderDialogCaption = "Dossier des pages";
constexpr const char* kCaption = "Rechercher dans les pages";
constexpr const char* kQueryLabel = "&Mots :";
constexpr const char* kQueryHint = "des mots, \"une expression\", un début de mot*";
constexpr const char* kFolderLabel = "Dossier :";
constexpr const char* kBrowse = "&Parcourir...";
constexpr const char* kCheckLinks = "&Vérifier les liens";
constexpr const char* kResultsTab = "Résultats";
constexpr const char* kBrokenLinksTab = "Liens brisés";
constexpr const char* kCancel = "Annuler";
constexpr const char* kNothingFound = "Aucune page trouvée";
constexpr const char* kFound = "%1 page(s) trouvée(s)";
constexpr const char* kIndexing = "Indexation : %1 / %2 pages";
constexpr const char* kUpdating = "Mise à jour de l'index...";
constexpr const char* kUpdateCancelled = "Mise à jour annulée : %1 page(s) indexée(s)";
constexpr const char* kUpdated = "Index à jour : %1 page(s) lue(s), %2 inchangée(s), %3 retirée(s), %4 ignorée(s)";
constexpr const char* kChecking = "Vérification des liens...";
constexpr const char* kChecked = "%1 page(s) vérifiée(s), %2 lien(s) brisé(s)%3";
constexpr const char* kCheckCancelled = " (vérification annulée)";

constexpr int kWindowWidth = 760;
constexpr int kWindowHeight = 480;
constexpr int kTitleColumnWidth = 200;
constexpr int kPathColumnWidth = 180;
// The full path of a result or a broken link's page, beside what is shown.
constexpr int kPathRole = Qt::UserRole;
constexpr int kFoundRole = Qt::UserRole + 1;
constexpr int kLineRole = Qt::UserRole + 2;
// The row of the index whose snippet a result shows once it is in view.
constexpr int kRowRole = Qt::UserRole + 3;

QString Utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

// The snippet as rich text, its found words in bold.
QString SnippetHtml(const std::string& snippet)
{
    QString html = Utf8(snippet).toHtmlEscaped();
    html.replace(QChar(TSearchIndex::kMarkStart), QStringLiteral("<b>"));
    html.replace(QChar(TSearchIndex::kMarkEnd), QStringLiteral("</b>"));
    html.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return html;
}

std::string FullPath(const std::string& folder, const std::string& relative)
{
    return folder == "/" ? "/" + relative : folder + "/" + relative;
}

std::optional<std::string> AskFolderWithDialog(QWidget* parent, const std::string& current)
{
    const QString chosen = QFileDialog::getExistingDirectory(parent, QString::fromUtf8(kFolderDialogCaption), Utf8(current));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

} // namespace

std::string FirstMarkedText(const std::string& snippet)
{
    const std::size_t start = snippet.find(TSearchIndex::kMarkStart);
    if (start == std::string::npos)
        return {};
    const std::size_t end = snippet.find(TSearchIndex::kMarkEnd, start);
    return snippet.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

TSearchWindow::TSearchWindow(QWidget* parent, std::string indexFile, TOpenPage openPage)
    : QWidget(parent, Qt::Window)
    , indexFile_(std::move(indexFile))
    , openPage_(std::move(openPage))
    , askFolder_(AskFolderWithDialog)
{
    setWindowTitle(QString::fromUtf8(kCaption));
    resize(kWindowWidth, kWindowHeight);
    auto* layout = new QVBoxLayout(this);

    auto* queryRow = new QHBoxLayout;
    auto* queryLabel = new QLabel(QString::fromUtf8(kQueryLabel), this);
    queryBox_ = new QLineEdit(this);
    queryBox_->setObjectName("queryBox");
    queryBox_->setPlaceholderText(QString::fromUtf8(kQueryHint));
    queryLabel->setBuddy(queryBox_);
    queryRow->addWidget(queryLabel);
    queryRow->addWidget(queryBox_, 1);
    layout->addLayout(queryRow);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(QString::fromUtf8(kFolderLabel), this));
    folderLabel_ = new QLabel(this);
    folderLabel_->setObjectName("folderLabel");
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    folderRow->addWidget(folderLabel_, 1);
    browseButton_ = new QPushButton(QString::fromUtf8(kBrowse), this);
    checkButton_ = new QPushButton(QString::fromUtf8(kCheckLinks), this);
    checkButton_->setObjectName("checkButton");
    folderRow->addWidget(browseButton_);
    folderRow->addWidget(checkButton_);
    layout->addLayout(folderRow);

    tabs_ = new QTabWidget(this);
    results_ = new QTreeWidget(tabs_);
    results_->setObjectName("results");
    results_->setHeaderLabels({QStringLiteral("Titre"), QStringLiteral("Chemin"), QStringLiteral("Extrait")});
    results_->setRootIsDecorated(false);
    results_->setColumnWidth(0, kTitleColumnWidth);
    results_->setColumnWidth(1, kPathColumnWidth);
    brokenLinks_ = new QTreeWidget(tabs_);
    brokenLinks_->setObjectName("brokenLinks");
    brokenLinks_->setHeaderLabels(
        {QStringLiteral("Page"), QStringLiteral("Ligne"), QStringLiteral("Type"), QStringLiteral("Cible")});
    brokenLinks_->setRootIsDecorated(false);
    brokenLinks_->setColumnWidth(0, kPathColumnWidth);
    tabs_->addTab(results_, QString::fromUtf8(kResultsTab));
    tabs_->addTab(brokenLinks_, QString::fromUtf8(kBrokenLinksTab));
    layout->addWidget(tabs_, 1);

    statusBar_ = new QStatusBar(this);
    progress_ = new QProgressBar(statusBar_);
    progress_->setMaximumWidth(200);
    cancelButton_ = new QPushButton(QString::fromUtf8(kCancel), statusBar_);
    cancelButton_->setObjectName("cancelButton");
    statusBar_->addPermanentWidget(progress_);
    statusBar_->addPermanentWidget(cancelButton_);
    progress_->hide();
    cancelButton_->hide();
    layout->addWidget(statusBar_);

    connect(queryBox_, &QLineEdit::textChanged, this, &TSearchWindow::ShowResults);
    connect(queryBox_, &QLineEdit::returnPressed, this, [this] {
        QTreeWidgetItem* item = results_->currentItem() ? results_->currentItem() : results_->topLevelItem(0);
        if (item)
            OpenResult(item);
    });
    connect(results_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { OpenResult(item); });
    // Scrolled or resized, the list shows the snippets of the rows come into view.
    connect(results_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { ShowSnippetsInView(); });
    connect(results_->verticalScrollBar(), &QScrollBar::rangeChanged, this, [this] { ShowSnippetsInView(); });
    connect(brokenLinks_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { OpenBrokenLink(item); });
    connect(browseButton_, &QPushButton::clicked, this, &TSearchWindow::Browse);
    connect(checkButton_, &QPushButton::clicked, this, &TSearchWindow::CheckLinks);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel_ = true; });
}

TSearchWindow::~TSearchWindow()
{
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

TSearchIndex* TSearchWindow::Index()
{
    if (!index_) {
        try {
            // The background update checks the whole file; the window, which
            // must answer at once, its layout.
            index_ = std::make_unique<TSearchIndex>(indexFile_, TSearchIndex::TOpenCheck::Layout);
            // Said with the end of the update, whose messages would hide it.
            notice_ = index_->Notice();
        } catch (const ESearchIndexError& error) {
            statusBar_->showMessage(Utf8(error.what()));
        }
    }
    return index_.get();
}

void TSearchWindow::Start(const std::string& folder)
{
    const std::string normal = NormalFolder(folder);
    show();
    raise();
    activateWindow();
    queryBox_->setFocus();
    if (normal == folder_ && Busy())
        return;
    if (Busy()) {
        cancel_ = true;
        worker_.join();
    }
    folder_ = normal;
    folderLabel_->setText(Utf8(folder_));
    brokenLinks_->clear();
    ShowResults();
    StartUpdate();
}

void TSearchWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TSearchWindow::ShowResults()
{
    results_->clear();
    const std::string query = queryBox_->text().trimmed().toStdString();
    TSearchIndex* index = Index();
    if (query.empty() || !index || folder_.empty())
        return;
    std::vector<TSearchHit> hits;
    try {
        // Snippets cost most of a search: only the rows in view get theirs.
        hits = index->Search(folder_, query, kResultLimit, 0);
    } catch (const ESearchIndexError& error) {
        statusBar_->showMessage(Utf8(error.what()));
        return;
    }
    shownQuery_ = query;
    for (const TSearchHit& hit : hits) {
        auto* item = new QTreeWidgetItem(results_);
        item->setText(0, hit.Title.empty() ? Utf8(std::filesystem::path(hit.Path).filename().string()) : Utf8(hit.Title));
        item->setText(1, Utf8(hit.Path));
        item->setData(0, kPathRole, Utf8(FullPath(folder_, hit.Path)));
        item->setData(0, kRowRole, static_cast<qint64>(hit.Row));
    }
    if (results_->topLevelItemCount() > 0)
        results_->setCurrentItem(results_->topLevelItem(0));
    tabs_->setCurrentWidget(results_);
    ShowSnippetsInView();
    if (!Busy())
        statusBar_->showMessage(hits.empty() ? QString::fromUtf8(kNothingFound)
                                             : QString::fromUtf8(kFound).arg(hits.size()));
}

void TSearchWindow::ShowSnippetsInView()
{
    const QRect view = results_->viewport()->rect();
    for (int i = 0; i < results_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = results_->topLevelItem(i);
        const QRect place = results_->visualItemRect(item);
        if (place.bottom() < view.top())
            continue;
        if (place.top() > view.bottom())
            break;
        ShowSnippet(item);
    }
}

void TSearchWindow::ShowSnippet(QTreeWidgetItem* item)
{
    TSearchIndex* index = Index();
    if (results_->itemWidget(item, 2) || !index)
        return;
    std::string snippet;
    try {
        snippet = index->Snippet(shownQuery_, item->data(0, kRowRole).toLongLong());
    } catch (const ESearchIndexError&) {
        // The page is listed without its snippet.
    }
    item->setData(0, kFoundRole, Utf8(FirstMarkedText(snippet)));
    auto* label = new QLabel(SnippetHtml(snippet), results_);
    label->setTextFormat(Qt::RichText);
    results_->setItemWidget(item, 2, label);
}

void TSearchWindow::OpenResult(QTreeWidgetItem* item)
{
    ShowSnippet(item);
    std::string found = item->data(0, kFoundRole).toString().toStdString();
    if (found.empty()) {
        // Found in the title only: the first word typed is looked for.
        const QString words = QString::fromStdString(PlainWordsQuery(queryBox_->text().toStdString()));
        found = words.section(QLatin1Char('"'), 1, 1).toStdString();
    }
    openPage_(item->data(0, kPathRole).toString().toStdString(), found, 0);
}

void TSearchWindow::OpenBrokenLink(QTreeWidgetItem* item)
{
    openPage_(item->data(0, kPathRole).toString().toStdString(), item->data(0, kFoundRole).toString().toStdString(),
              item->data(0, kLineRole).toInt());
}

void TSearchWindow::Browse()
{
    if (const std::optional<std::string> chosen = askFolder_(this, folder_))
        Start(*chosen);
}

template <typename TWork> void TSearchWindow::RunInBackground(TWork work)
{
    cancel_ = false;
    progress_->setRange(0, 0);
    progress_->show();
    cancelButton_->show();
    checkButton_->setEnabled(false);
    worker_ = std::thread(std::move(work));
}

void TSearchWindow::EndWork()
{
    if (worker_.joinable())
        worker_.join();
    progress_->hide();
    cancelButton_->hide();
    checkButton_->setEnabled(true);
}

void TSearchWindow::WaitForWork()
{
    while (Busy()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
}

void TSearchWindow::ShowProgress(int done, int total)
{
    progress_->setRange(0, total);
    progress_->setValue(done);
    statusBar_->showMessage(QString::fromUtf8(kIndexing).arg(done).arg(total));
}

void TSearchWindow::StartUpdate()
{
    if (!Index())
        return;
    statusBar_->showMessage(QString::fromUtf8(kUpdating));
    const int number = ++workNumber_;
    RunInBackground([this, number, folder = folder_, file = indexFile_] {
        TIndexReport report;
        std::string notice;
        try {
            TSearchIndex index(file);
            notice = index.Notice();
            report = index.Update(
                folder,
                [this, number](int done, int total) {
                    QMetaObject::invokeMethod(
                        this,
                        [this, number, done, total] {
                            if (number == workNumber_)
                                ShowProgress(done, total);
                        },
                        Qt::QueuedConnection);
                },
                &cancel_);
        } catch (const ESearchIndexError& error) {
            report.Failure = error.what();
        }
        QMetaObject::invokeMethod(
            this,
            [this, number, report, notice] {
                if (number == workNumber_)
                    UpdateEnded(report, notice);
            },
            Qt::QueuedConnection);
    });
}

void TSearchWindow::UpdateEnded(const TIndexReport& report, const std::string& notice)
{
    EndWork();
    // A file the update found damaged was set aside and made again: the
    // window's connection still reads the old one.
    if (!notice.empty())
        index_.reset();
    ShowResults();
    QString message;
    for (const std::string& said : {std::exchange(notice_, {}), notice})
        if (!said.empty())
            message += Utf8(said) + QLatin1Char(' ');
    if (!report.Failure.empty())
        message += Utf8(report.Failure);
    else if (report.Cancelled)
        message += QString::fromUtf8(kUpdateCancelled).arg(report.Indexed);
    else
        message += QString::fromUtf8(kUpdated)
                      .arg(report.Indexed)
                      .arg(report.Unchanged)
                      .arg(report.Removed)
                      .arg(report.Skipped.size());
    statusBar_->showMessage(message);
}

void TSearchWindow::CheckLinks()
{
    if (folder_.empty() || Busy())
        return;
    brokenLinks_->clear();
    tabs_->setCurrentWidget(brokenLinks_);
    statusBar_->showMessage(QString::fromUtf8(kChecking));
    const int number = ++workNumber_;
    RunInBackground([this, number, folder = folder_] {
        const TLinkReport report = CheckFolderLinks(folder, &cancel_);
        QMetaObject::invokeMethod(
            this,
            [this, number, report] {
                if (number == workNumber_)
                    LinksChecked(report);
            },
            Qt::QueuedConnection);
    });
}

void TSearchWindow::LinksChecked(const TLinkReport& report)
{
    EndWork();
    for (const TBrokenLink& link : report.Broken) {
        auto* item = new QTreeWidgetItem(brokenLinks_);
        item->setText(0, Utf8(link.Page));
        item->setText(1, QString::number(link.Line));
        item->setText(2, Utf8(link.Kind));
        item->setText(3, Utf8(link.Target));
        item->setData(0, kPathRole, Utf8(FullPath(folder_, link.Page)));
        item->setData(0, kFoundRole, Utf8(link.Shown));
        item->setData(0, kLineRole, link.Line);
    }
    tabs_->setCurrentWidget(brokenLinks_);
    statusBar_->showMessage(
        QString::fromUtf8(kChecked)
            .arg(report.Pages)
            .arg(report.Broken.size())
            .arg(report.Cancelled ? QString::fromUtf8(kCheckCancelled) : QString()));
}
