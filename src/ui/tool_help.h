#pragma once
// The small modeless help windows of the view tools: the polyline help (dialog
// 197, shown by every polyline tool), "Слить блоки" (204) and "Не учитывать
// блок" (205). Each is a title and one wrapped text; they never take focus from
// the view, so the clicks and keys they describe reach the view.

#include <QDialog>

class QLabel;

namespace linea {

enum class ToolHelpKind { kPolyline, kMergeBlocks, kExcludeBlock };

class CToolHelp : public QDialog {
  Q_OBJECT
 public:
  CToolHelp(ToolHelpKind kind, QWidget* parent);
  ToolHelpKind Kind() const { return kind_; }
  QString Text() const;

 private:
  ToolHelpKind kind_;
  QLabel* text_;
};

// The polyline help is named CLineHelp where the tools speak of it.
using CLineHelp = CToolHelp;

}  // namespace linea
