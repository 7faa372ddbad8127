// The store check window: runs the check on a worker thread, lists what is wrong (errors
// first) and each template's variety, runs it again on request, and opens the window where
// a finding is fixed on a double-click.
#pragma once

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "check/store_check.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace wordloom {

class StoreCheckWindow : public QDialog {
  Q_OBJECT

 public:
  explicit StoreCheckWindow(QWidget* parent = nullptr);
  ~StoreCheckWindow() override;

  // The findings shown (the variety lines among them), in the order of the report.
  const std::vector<check::Finding>& Findings() const { return findings_; }

 signals:
  // A check has finished and its report is on screen.
  void CheckFinished();

 private:
  void StartCheck();
  void ShowReport(check::CheckReport report);
  void OpenFixingWindow(QTreeWidgetItem* item);

  QLabel* status_ = nullptr;
  QTreeWidget* findingList_ = nullptr;
  QLabel* detail_ = nullptr;
  QTreeWidget* varietyList_ = nullptr;
  QPushButton* rerun_ = nullptr;

  std::vector<check::Finding> findings_;
  // Set when the window goes: the check still running stops soon and shows nothing.
  std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
};

// The window where a finding is fixed, opened on its library, file or template; empty when
// no window fixes it.
std::function<void(QWidget*)> FixingWindow(const check::Finding& finding);

// Checks still running on their workers (the program waits for them before it ends).
int RunningStoreChecks();

}  // namespace wordloom
