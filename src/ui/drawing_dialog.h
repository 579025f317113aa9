#pragma once
// "Рисование": the modeless scheme drawing tool. It chooses the colour and width
// of the next polyline and starts it; while a polyline is drawn the dialog is
// hidden, the polyline help is shown and the view hands the clicked vertices to
// the drawing model. The dialog lives as long as the frame, so the counter that
// names the drawings keeps growing over the whole run.

#include <cstdint>

#include <QDialog>

#include "project/scheme_drawing.h"
#include "ui/vertex_collection.h"

class QLineEdit;
class QPushButton;

namespace Ui {
class CDrawingForm;
}

namespace linea {

class CMainFrame;
class CQtAppHost;

class CDrawing : public QDialog {
  Q_OBJECT
 public:
  // The frame and the host must outlive the dialog (the frame is its parent).
  CDrawing(CMainFrame& frame, CQtAppHost& host);
  ~CDrawing() override;

  // "Рисование": the tool is marked open, takes the view's input and is shown.
  void Open();
  // "Рисовать": the width is checked, the polyline starts (algorithm of the model),
  // the dialog hides and the polyline help shows. False when nothing started.
  bool StartDrawing();
  // "В новый слой".
  void NewLayer() { drawing_.StartNewLayer(); }
  // "Выбор цвета": the colour dialog; on OK the swatch takes the colour.
  void ChooseColour();
  // "Выйти" (also Enter in the view, Esc without a polyline, closing the window):
  // the view leaves line drawing, the next use starts a new drawing, the tool is
  // marked closed and hidden.
  void Exit();

  bool IsToolOpen() const { return open_; }
  std::uint32_t Colour() const { return colour_; }  // 0x00BBGGRR
  void SetColour(std::uint32_t colour);
  const CSchemeDrawing& Model() const { return drawing_; }
  CViewTool& Tool() { return tool_; }
  QLineEdit* WidthEdit() const;
  QPushButton* DrawButton() const;
  QPushButton* NewLayerButton() const;
  QPushButton* ColourButton() const;
  QPushButton* ExitButton() const;

 signals:
  // The tool was opened or closed, or a drawing entered the stack.
  void toolStateChanged();

 public slots:
  // Esc in the dialog and its close button end the tool as "Выйти".
  void reject() override;

 private:
  // What the view hands over while a polyline is drawn.
  class CTool : public CViewTool {
   public:
    explicit CTool(CDrawing& owner) : owner_(owner) {}
    void ReceiveVertices(std::span<const ImageVertex> vertices) override;
    void FinishPolyline(std::span<const ImageVertex> rest) override;
    void CancelPolyline() override;
    void CloseTool() override { owner_.Exit(); }

   private:
    CDrawing& owner_;
  };

  // The polyline has ended (finished or cancelled): the help goes, the dialog returns.
  void PolylineEnded();

  CMainFrame& frame_;
  CQtAppHost& host_;
  Ui::CDrawingForm* ui_;
  CSchemeDrawing drawing_;
  CTool tool_;
  std::uint32_t colour_ = 0x000000FF;  // red
  bool open_ = false;
};

}  // namespace linea
