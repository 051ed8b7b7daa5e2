#pragma once
// The register window: one row per driver card and vehicle unit of the
// archive folders, with its last download, when the next is due and how
// many days are left; overdue rows and rows due within 7 days marked in
// colour and in words. The register is read on a worker thread, so that a
// large folder never holds the main window; closing the window stops it.
// Double-clicking a row opens the viewer on its latest archive.

#include "uRegister.h"

#include <QAbstractTableModel>
#include <QString>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;
class QThread;
class QTreeWidget;
class TFormViewer;

class TRegisterModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { State, Kind, CardNumber, Holder, Registration, Vin, Nation, CardExpiry, LastDownload, NextDue,
                  DaysLeft, Signature, Archives, ColumnCount };
    // What sorting compares: numbers and times, not their texts.
    static constexpr int kSortRole = Qt::UserRole + 1;

    explicit TRegisterModel(QObject* parent = nullptr);
    void SetRows(std::vector<reg::TRegisterRow> rows);
    const std::vector<reg::TRegisterRow>& Rows() const { return rows_; }
    // Captions anew in the interface language.
    void Retranslate();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static QString StateText(reg::TDueState due);

private:
    std::vector<reg::TRegisterRow> rows_;
};

class TFormRegister : public QWidget {
    Q_OBJECT
public:
    explicit TFormRegister(QWidget* parent = nullptr);
    ~TFormRegister() override;

    // The folders the register reads (the main window's destination).
    void SetFolders(std::vector<std::filesystem::path> folders);
    // Reads the register anew on the worker thread; a reading under way is
    // stopped and started again.
    void Refresh();
    bool Loading() const { return worker_ != nullptr; }
    void ApplyLanguage(int code);

    // The register last read.
    const reg::TRegister& Register() const { return register_; }
    // The viewer on the archive of a row of the table (as shown, sorted).
    TFormViewer* OpenRow(int row);

    // Seams for the tests: today's time and the cache.
    std::function<std::uint32_t()> Today;
    std::filesystem::path CacheFile;

    QLabel* lbStatus;
    QProgressBar* pbReading;
    QPushButton* btnRefresh;
    QTableView* tvRegister;
    TRegisterModel* model;
    QSortFilterProxyModel* sorted;
    QLabel* lbOthers;
    QTreeWidget* lvOthers;

signals:
    // Each reading's end, also a stopped one.
    void Loaded();
    void ViewerOpened(TFormViewer* viewer);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowProgress(std::size_t done, std::size_t total);
    void ShowRegister();
    void ShowStatus();
    void Stop();

    std::vector<std::filesystem::path> folders_;
    reg::TRegister register_;
    QString error_;
    bool loaded_ = false;
    int language_ = 0;
    QThread* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_;
    bool again_ = false;
};
