#pragma once
// "Сложить слои" (dialog 183): the class maps of the stack that can take part, and
// the two lists a double-click moves them to, "Список +" while "сложить" is
// selected and "Список -" while "вычесть" is. A name never moves back; a dialog
// chosen wrongly is cancelled and opened again. The addition itself runs on OK,
// before the dialog closes, through `addFields`.

#include <functional>
#include <string>
#include <vector>

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QRadioButton;

namespace Ui {
class CAddLayersForm;
}

namespace linea {

class CAddLayers : public QDialog {
  Q_OBJECT
 public:
  // `candidates`: the names of the class maps, in stack order.
  CAddLayers(QWidget* parent, const std::vector<std::string>& candidates);
  ~CAddLayers() override;

  std::vector<std::string> PlusNames() const;
  std::vector<std::string> MinusNames() const;
  // Moves the candidate `name` as a double-click on it does; false when it is not
  // (or no longer) in the candidate list.
  bool Choose(const std::string& name);

  // Run by OK with both lists (either may be empty); the dialog closes afterwards
  // whatever it did.
  std::function<void(const std::vector<std::string>& plus, const std::vector<std::string>& minus)> addFields;

  QListWidget* CandidateList() const;
  QListWidget* PlusList() const;
  QListWidget* MinusList() const;
  QRadioButton* AddRadio() const;
  QRadioButton* SubtractRadio() const;

 public slots:
  void accept() override;

 private:
  void MoveCandidate(QListWidgetItem* item);

  Ui::CAddLayersForm* ui_;
};

}  // namespace linea
