#pragma once
// The progress window of long work (dialog 101): "title NN %", a bar and Cancel.
// The computation keeps the user-interface thread; each progress report processes
// the pending events, so the window repaints and takes the Cancel click.

#include <optional>
#include <string>

#include <QDialog>

namespace Ui {
class CProgressWindowForm;
}

namespace linea {

// Fractions closer to 0 than the single-precision epsilon change nothing.
inline constexpr double kProgressEpsilon = 1.1920928955078125e-7;
inline constexpr int kProgressAnimationSteps = 8;

// What one progress report shows: whether the animation advances and, for a
// fraction that is not negative, the percentage trunc(fraction x 100).
struct ProgressStep {
  bool advance = false;
  std::optional<int> percent;
};
ProgressStep ProgressStepOf(double fraction);
// "%s %d %%": the title, the percentage and a per cent sign.
std::string ProgressText(const std::string& title, int percent);

class CProgressWindow : public QDialog {
  Q_OBJECT
 public:
  CProgressWindow(QWidget* parent, const std::string& title, bool cancellable);
  ~CProgressWindow() override;

  void SetTitle(const std::string& title);
  // Shows the fraction; false once the user has cancelled.
  bool Set(double fraction);
  bool Cancelled() const { return cancelled_; }

  int BarValue() const;
  QString Text() const;
  int AnimationStep() const { return animationStep_; }

 public slots:
  // Cancel only raises the flag; the computation closes the window.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowAnimation();

  Ui::CProgressWindowForm* ui_;
  std::string title_;
  int percent_ = 0;
  int animationStep_ = 1;
  bool cancelled_ = false;
};

}  // namespace linea
