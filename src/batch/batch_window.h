// The batch window: many articles from one template into a folder, on a worker thread,
// with progress, Cancel, and the uniqueness report at the end.
#pragma once

#include <QDialog>

#include <atomic>
#include <memory>

#include "services/text.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace wordloom {

namespace batch {
struct BatchRequest;
struct BatchOutcome;
struct BatchControl;
}  // namespace batch

class BatchWindow : public QDialog {
  Q_OBJECT

 public:
  explicit BatchWindow(QWidget* parent = nullptr);
  ~BatchWindow() override;

  static constexpr int kMaxCount = 1000000;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FillTemplateList();
  void RestoreSettings();
  void SaveSettings();
  void ChooseFolder();
  void StartBatch();
  void CancelBatch();
  // On the user-interface thread, from the worker.
  void ShowProgress(std::uint64_t written, std::uint64_t total, double seconds);
  void ShowMeasuring();
  void ShowOutcome(const batch::BatchOutcome& outcome);
  void SetRunning(bool running);

  QComboBox* templateList_ = nullptr;
  QLineEdit* countBox_ = nullptr;
  QLineEdit* folderBox_ = nullptr;
  QPushButton* chooseButton_ = nullptr;
  QComboBox* namesList_ = nullptr;
  QComboBox* encodingList_ = nullptr;
  QCheckBox* noRepeatBox_ = nullptr;
  QPushButton* startButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QLabel* progressLabel_ = nullptr;
  QLabel* reportLabel_ = nullptr;
  QTreeWidget* pairsList_ = nullptr;

  TextArray templateFileList_;
  std::shared_ptr<batch::BatchControl> control_;  // of the batch running, shared with it
};

// Batches still running (the program waits for them before it ends).
int RunningBatches();

}  // namespace wordloom
