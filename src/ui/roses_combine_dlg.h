#pragma once
// The rose-combination panel: the projects gathered for a combination, the
// buttons that change the list, the mode and normalisation of the combination,
// and "Расчет".

#include <cstddef>
#include <string>
#include <vector>

#include <QWidget>

#include "project/combination.h"

class QCheckBox;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace Ui {
class CRosesCombineForm;
}

namespace linea {

// "%s [%dX%d] %s": file name, width, height and "GREY", "LINE" or "DTM".
std::string CombinedProjectLine(const CombinedProject& project);
// The message a combination of `count` projects gets before it runs: 32813 for a
// union of fewer than two, 32814 for a difference of other than two, else 0.
int CombinationCountMessage(bool unionMode, std::size_t count);

class CRosesCombineDlg : public QWidget {
  Q_OBJECT
 public:
  explicit CRosesCombineDlg(QWidget* parent);
  ~CRosesCombineDlg() override;

  void Refill(const std::vector<CombinedProject>& projects);
  // The selected line, or -1.
  int SelectedIndex() const;
  bool UnionMode() const;
  bool Normalisation() const;

  QListWidget* List() const;
  QPushButton* AddButton() const;
  QPushButton* RemoveButton() const;
  QPushButton* ClearButton() const;
  QPushButton* CalculateButton() const;
  QRadioButton* DifferenceRadio() const;
  QRadioButton* UnionRadio() const;
  QCheckBox* NormalisationBox() const;

 signals:
  void addRequested();
  void removeRequested(int index);
  void clearRequested();
  void calculateRequested();

 private:
  Ui::CRosesCombineForm* ui_;
};

}  // namespace linea
