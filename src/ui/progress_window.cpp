#include "ui/progress_window.h"

#include <QCloseEvent>
#include <QPixmap>

#include <algorithm>
#include <cmath>

#include "base/string_table.h"
#include "ui_progress_window.h"

namespace linea {

ProgressStep ProgressStepOf(double fraction) {
  ProgressStep step;
  if (!(std::fabs(fraction) >= kProgressEpsilon)) return step;  // also NaN
  step.advance = true;
  if (fraction < 0) return step;
  step.percent = int(std::min(fraction * 100.0, 2147483647.0));
  return step;
}

std::string ProgressText(const std::string& title, int percent) {
  return FormatText("%s %d %%", title.c_str(), percent);
}

CProgressWindow::CProgressWindow(QWidget* parent, const std::string& title, bool cancellable)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(new Ui::CProgressWindowForm),
      title_(title) {
  ui_->setupUi(this);
  setWindowModality(Qt::ApplicationModal);
  if (!cancellable) ui_->cancelButton->hide();
  connect(ui_->cancelButton, &QPushButton::clicked, this, &CProgressWindow::reject);
  ui_->progressText->setText(QString::fromStdString(ProgressText(title_, 0)));
  ui_->animationPicture->setPixmap(QPixmap(QStringLiteral(":/icons/progress_0.xpm")));
  if (parent) {
    const QRect frame = parent->window()->frameGeometry();
    move(frame.center() - rect().center());
  }
}

CProgressWindow::~CProgressWindow() { delete ui_; }

void CProgressWindow::SetTitle(const std::string& title) {
  title_ = title;
  ui_->progressText->setText(QString::fromStdString(ProgressText(title_, percent_)));
}

bool CProgressWindow::Set(double fraction) {
  const ProgressStep step = ProgressStepOf(fraction);
  if (step.advance) {
    animationStep_ = (animationStep_ + 1) % kProgressAnimationSteps;
    ShowAnimation();
  }
  if (step.percent) {
    percent_ = *step.percent;
    ui_->progressText->setText(QString::fromStdString(ProgressText(title_, percent_)));
    ui_->progressBar->setValue(std::clamp(percent_, 0, 100));
  }
  return !cancelled_;
}

int CProgressWindow::BarValue() const { return ui_->progressBar->value(); }

QString CProgressWindow::Text() const { return ui_->progressText->text(); }

void CProgressWindow::reject() { cancelled_ = true; }

void CProgressWindow::closeEvent(QCloseEvent* event) {
  cancelled_ = true;
  event->ignore();
}

void CProgressWindow::ShowAnimation() {
  ui_->animationPicture->setPixmap(QPixmap(QStringLiteral(":/icons/progress_%1.xpm").arg(animationStep_)));
}

}  // namespace linea
