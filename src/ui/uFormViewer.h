#pragma once
// The viewer of one archive (a driver card image or a VU download), told by
// its content: the identification and the signature verdict at the top, then
// tabs with the chart of the driver's days, the lists, each signed part's
// verdict and the display tree of the records. It follows the interface
// language.

#include "uCardView.h"
#include "uImageKind.h"
#include "uVerifyView.h"
#include "uVuView.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class T1BDriverCard;
class TActivityPanel;
class TVuDownload;

class TFormViewer : public QWidget {
    Q_OBJECT
public:
    explicit TFormViewer(QWidget* parent = nullptr);
    ~TFormViewer() override;

    // Reads the file and shows what it holds; false, with Problem() saying
    // why, when it holds nothing this viewer reads.
    bool OpenFile(const QString& path);
    bool OpenBytes(std::vector<std::uint8_t> bytes, const QString& path);
    // Why the last opening failed, or what of the file could not be read.
    const QString& Problem() const { return problem_; }
    const QString& FilePath() const { return path_; }
    TImageKind Kind() const { return image_.kind; }

    void ApplyLanguage(int code);

    // Rebuilt with every language: valid until the next ApplyLanguage.
    QLabel* lbIdentity = nullptr;
    QLabel* lbVerdict = nullptr;
    QLabel* lbProblem = nullptr;
    QTabWidget* pcTabs = nullptr;
    QList<TActivityPanel*> activityPanels; // one per slot (a card has one)
    QTreeWidget* lvSignatures = nullptr;
    QTreeWidget* tvRecords = nullptr;      // filled as its items are opened

    // The display tree's items below item, made when it is first opened.
    void ExpandRecord(QTreeWidgetItem* item);

private:
    void Fill();
    QWidget* IdentityBox();
    void AddCardTabs();
    void AddVuTabs();
    void AddSignatures();
    void AddRecords();
    QTreeWidget* AddList(const char* name, int caption, const QList<int>& columns,
                         const QList<QStringList>& rows);

    std::vector<std::uint8_t> bytes_;
    TImage image_;
    QString path_;
    QString problem_;
    std::unique_ptr<T1BDriverCard> card_;
    std::unique_ptr<TVuDownload> download_;
    std::optional<views::TCardView> cardView_;
    std::optional<views::TVuView> vuView_;
    views::TVerification verification_;
    int language_ = 0;
    QWidget* content_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
};

// A new viewer window of path, shown, deleted when closed; none, the reason
// told in an error box, when the file holds nothing the viewer reads.
TFormViewer* OpenViewer(const QString& path, int languageCode, QWidget* parent = nullptr);
