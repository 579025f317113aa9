// The window as a desktop user meets it, driven through real events: the cursor
// readout after another project, the layers bar's highlight and check boxes, the
// raw-size prompt's Cancel, the status bar under the mouse and the menus' status
// texts, Ctrl + wheel, files dropped on the window, Qt's own texts in Russian and
// dialogs as wide as their titles.
#include "desktop_window_fixture.h"

namespace linea {
namespace {

// ---- the cursor readout and the current layer ---------------------------------

TEST_F(DesktopWindowTest, CursorReadoutIsRefreshedWhenAnotherProjectIsOpened) {
  DemoProjectOptions narrow;
  narrow.width = 200;
  narrow.height = 150;
  const std::string other = Demo("other", narrow);
  Start(Demo());
  Choose(32649);  // the cursor overlay and its panel
  View().viewport()->grab();  // the paint puts the overlay on the image
  ClickRowText(Bar().List()->topLevelItem(0));
  ASSERT_EQ(Ws().layerStack.GetCurrentLayer(), Layer(kBaseName));
  const QStringList first = CursorBarTexts();
  ASSERT_EQ(first[3].toStdString(), "V");  // the grey level of the first project

  host.OpenFile(other);
  Choose(57601);
  ASSERT_EQ(Ws().results.imageWidth, 200u);
  const QStringList shown = CursorBarTexts();
  EXPECT_NE(shown, first);
  Frame().RefreshCursorReadout();
  EXPECT_EQ(CursorBarTexts(), shown) << "the panel showed the previous project's values";
}

TEST_F(DesktopWindowTest, TickingACheckBoxLeavesTheHighlightedRowTheCurrentLayer) {
  Start(Demo());
  Choose(32842);  // stripes: a second row
  QTreeWidget* list = Bar().List();
  ASSERT_EQ(list->topLevelItemCount(), 2);
  QTreeWidgetItem* base = Bar().ItemOf(Layer(kBaseName));
  QTreeWidgetItem* stripes = Bar().ItemOf(Layer(kStripesName));
  ClickRowText(base);
  ASSERT_EQ(list->currentItem(), base);
  ASSERT_EQ(Ws().layerStack.GetCurrentLayer(), Layer(kBaseName));

  const bool visibleBefore = Layer(kStripesName)->IsVisible();
  ClickCheckBox(stripes);
  ASSERT_NE(Layer(kStripesName)->IsVisible(), visibleBefore) << "the click missed the check box";
  EXPECT_EQ(Ws().layerStack.GetCurrentLayer(), Bar().LayerOf(list->currentItem()));
  EXPECT_EQ(Ws().layerStack.GetCurrentLayer(), Layer(kBaseName));

  // Moving the highlight with the keyboard moves the current layer with it.
  list->setFocus();
  QTest::keyClick(list->viewport(), Qt::Key_Down);
  EXPECT_EQ(list->currentItem(), stripes);
  EXPECT_EQ(Ws().layerStack.GetCurrentLayer(), Layer(kStripesName));
}

TEST_F(DesktopWindowTest, LongLayerDescriptionDoesNotMoveTheLayersBarControls) {
  Start(Demo());
  Layer(kBaseName)->SetDescription(
      "Source image: /very/long/path/of/a/scene/that/does/not/fit/the/panel/LC08_L1TP_170028_20200915.tif\n"
      "Size 480 x 360 pixels, 8 bits per pixel\nPalette: grey, 256 entries\nLoaded from the project demo.orw");
  Bar().Refill();
  QCoreApplication::processEvents();
  const QRect checkBox = Bar().findChild<QCheckBox*>(QStringLiteral("showAtOnce"))->geometry();
  const QRect listBefore = Bar().List()->geometry();
  const QSize dockBefore = Frame().LayersDock().size();

  const QRect row = Bar().List()->visualItemRect(Bar().List()->topLevelItem(0));
  QTest::mouseMove(Bar().List()->viewport(), row.center());
  emit Bar().List()->itemEntered(Bar().List()->topLevelItem(0), 0);  // in case the platform sends no hover
  QCoreApplication::processEvents();
  EXPECT_EQ(Bar().DescriptionText().toStdString(), Layer(kBaseName)->GetDescription());
  EXPECT_EQ(Bar().findChild<QCheckBox*>(QStringLiteral("showAtOnce"))->geometry(), checkBox);
  EXPECT_EQ(Bar().List()->geometry(), listBefore);
  EXPECT_EQ(Frame().LayersDock().size(), dockBefore);
  // The whole description is the row's tooltip; the text line shows its first line.
  EXPECT_EQ(Bar().List()->topLevelItem(0)->toolTip(0).toStdString(), Layer(kBaseName)->GetDescription());
  EXPECT_EQ(DescriptionLineText(QStringLiteral("a\nb\nc")), QStringLiteral("a"));
}

// ---- the raw-size prompt's Cancel ------------------------------------------------

TEST_F(DesktopWindowTest, RawSizePromptHasCancelWhichOpensNothing) {
  // The real dialog: Cancel reports a cancelled answer, OK the typed size.
  CQtAppHost plain;
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<CImageSizeDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    QPushButton* cancel = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel);
    ASSERT_NE(cancel, nullptr);
    QTest::mouseClick(cancel, Qt::LeftButton);
  });
  EXPECT_TRUE(plain.CQtAppHost::RunImageSizeDialog({64, 64, 2}).cancelled);
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<CImageSizeDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->SetTexts("32", "16", false);
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  const ImageSizeAnswer typed = plain.CQtAppHost::RunImageSizeDialog({64, 64, 2});
  EXPECT_FALSE(typed.cancelled);
  EXPECT_EQ(typed.width, 32);
  EXPECT_EQ(typed.height, 16);
  EXPECT_EQ(typed.bytesPerSample, 1);

  // Cancelled while opening a raw elevation model: no message, nothing opened.
  const std::string raw = folder.File("relief.raw");
  WriteBytes(raw, std::vector<std::uint8_t>(64 * 64 * 2, 7));
  Start(Demo());
  ImageSizeAnswer cancelled{64, 64, 2};
  cancelled.cancelled = true;
  host.imageSizes.push_back(cancelled);
  host.OpenFile(raw);
  Choose(32776);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(Ws().layerStack.LayerCount(), 0);
  EXPECT_FALSE(app->Document().IsModified());
  EXPECT_EQ(ShownTitle(), "Без имени - Linea");

  // The loader on its own: a cancelled size reads nothing and says nothing.
  CTestHost quietHost;
  quietHost.imageSizeAnswers.push_back(cancelled);
  std::vector<std::uint8_t> data;
  int width = 0, height = 0, bytes = 2;
  EXPECT_EQ(ReadRaw(quietHost, raw, 3, data, width, height, bytes), 1);
  EXPECT_TRUE(data.empty());
  EXPECT_TRUE(quietHost.messages.empty());
}

// ---- the status bar --------------------------------------------------------------

TEST_F(DesktopWindowTest, MenuItemsShowTheirStatusTextWhenHovered) {
  Start(Demo());
  QMenu* file = app->Commands().Menu("Файл");
  ASSERT_NE(file, nullptr);
  file->popup(Frame().mapToGlobal(QPoint(0, 0)));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
  auto hover = [&](int id) {
    QAction* action = app->Commands().Action(id);
    QTest::mouseMove(file, file->actionGeometry(action).center());
    QCoreApplication::processEvents();
    return Frame().StatusText().toStdString();
  };
  EXPECT_EQ(hover(32884), "Задать привязку для сохранения результатов в указанных координатах");
  EXPECT_EQ(hover(32786), "Открыть Полутоновое...");
  EXPECT_EQ(hover(57601), "Открыть Проект...");
  file->hide();
  QCoreApplication::processEvents();
  EXPECT_EQ(Frame().StatusText().toStdString(), "Готово");
}

TEST_F(DesktopWindowTest, StatusBarShowsPixelWorldCoordinatesAndValueUnderTheMouse) {
  Start(Demo());
  CStatusReadout& readout = app->StatusReadout();
  View().viewport()->grab();  // a paint places the image
  const ViewRect shown = View().GetImageRect();
  const QPoint at(shown.left + 40, shown.top + 25);
  const ViewPoint pixel = View().WindowToImagePoint({at.x(), at.y()});
  QTest::mouseMove(View().viewport(), at);
  QCoreApplication::processEvents();
  EXPECT_EQ(readout.PositionText().toStdString(), FormatText("Столбец %d, строка %d", pixel.x, pixel.y));
  EXPECT_TRUE(readout.WorldText().isEmpty()) << "no georeference yet";
  EXPECT_EQ(readout.ValueText().toStdString(), "V " + std::to_string(DemoImageLevel(pixel.x, pixel.y, 480)));

  // Save settings with 30 m pixels from (500000, 6000000) down to the south-east.
  CSaveSettings& georeference = Ws().saveSettings;
  georeference.upperLeftX = 500000;
  georeference.upperLeftY = 6000000;
  georeference.lowerRightX = 500000 + 480 * 30;
  georeference.lowerRightY = 6000000 - 360 * 30;
  georeference.resolutionX = 30;
  georeference.resolutionY = -30;
  QTest::mouseMove(View().viewport(), at + QPoint(1, 0));
  QTest::mouseMove(View().viewport(), at);
  QCoreApplication::processEvents();
  EXPECT_EQ(readout.WorldText().toStdString(),
            FormatText("X %d, Y %d", 500000 + pixel.x * 30 + 15, 6000000 - pixel.y * 30 - 15));

  // Off the image (the white margin) and out of the view the fields are blank.
  readout.ShowAt(shown.right + 5, shown.top);
  EXPECT_TRUE(readout.PositionText().isEmpty());
  readout.ShowAt(at.x(), at.y());
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(View().viewport(), &leave);
  EXPECT_TRUE(readout.PositionText().isEmpty());
  EXPECT_TRUE(readout.ValueText().isEmpty());
}

TEST(StatusReadout, WorldCoordinatesFollowTheCornersAndPixelSizes) {
  CSaveSettings none;
  EXPECT_FALSE(HasGeoreference(none));
  EXPECT_FALSE(WorldOfPixel(none, 0, 0).has_value());
  CSaveSettings degrees;
  degrees.upperLeftX = 30.0;
  degrees.upperLeftY = 60.0;
  degrees.resolutionX = 0.001;
  degrees.resolutionY = -0.001;
  const auto corner = WorldOfPixel(degrees, 0, 0);
  ASSERT_TRUE(corner.has_value());
  EXPECT_DOUBLE_EQ(corner->x, 30.0005);
  EXPECT_DOUBLE_EQ(corner->y, 59.9995);
  degrees.resolutionX = 0.0;  // a divisor of nothing: no world position
  EXPECT_FALSE(HasGeoreference(degrees));
  EXPECT_EQ(FormatWorldCoordinate(500015.0, 30), "500015");
  EXPECT_EQ(FormatWorldCoordinate(30.0005, 0.001), "30.0005");
  EXPECT_EQ(FormatWorldCoordinate(59.99958333, -0.000833333), "59.99958");
  EXPECT_EQ(FormatWorldCoordinate(1.0, 1e-30), "1.00000000");  // at most eight decimals
  CursorReadout map;
  map.values = {5, 3, 7};
  map.labels = {"V", ">", "<"};
  EXPECT_EQ(ReadoutValueText(map), "V 5  > 3  < 7");
  EXPECT_EQ(ReadoutValueText(CursorReadout{}), "");
}

// ---- Ctrl + wheel ------------------------------------------------------------------

TEST_F(DesktopWindowTest, CtrlWheelZoomsAboutTheMouseAndTheWheelAloneScrolls) {
  Start(Demo());
  ASSERT_TRUE(View().SetZoom(2.0));  // 960 x 720: larger than the client area
  View().viewport()->grab();
  const QPoint mouse(120, 90);
  const ViewPoint under = View().WindowToImagePoint({mouse.x(), mouse.y()});

  Wheel(mouse, 120, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(View().Zoom(), 3.0);
  View().viewport()->grab();
  EXPECT_EQ(View().WindowToImagePoint({mouse.x(), mouse.y()}), under);
  EXPECT_EQ(Frame().ZoomToolBar().ZoomBox()->currentText().toStdString(), "300 %");

  Wheel(mouse, -120, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(View().Zoom(), 2.0);
  View().viewport()->grab();
  EXPECT_EQ(View().WindowToImagePoint({mouse.x(), mouse.y()}), under);

  // Half notches add up to one step.
  Wheel(mouse, 60, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(View().Zoom(), 2.0);
  Wheel(mouse, 60, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(View().Zoom(), 3.0);

  const int scrollBefore = View().verticalScrollBar()->value();
  Wheel(mouse, -120, Qt::NoModifier);
  EXPECT_DOUBLE_EQ(View().Zoom(), 3.0);
  EXPECT_GT(View().verticalScrollBar()->value(), scrollBefore);
}

TEST(WheelZoom, ThePointUnderTheMouseStaysAndSmallImagesAreCentred) {
  // 1000 x 800 image in a 400 x 300 client area, scrolled to (100, 50) at zoom 1.
  const ViewPoint scroll = ScrollKeepingPoint({200, 100}, {100, 50}, {0, 0}, 1.0, 1.5, {400, 300}, {1000, 800});
  EXPECT_EQ(scroll, (ViewPoint{250, 125}));  // image point (300, 150) -> 450, 225 on the scaled image
  // Zoomed out so far that the image is centred: the offset takes the place of scrolling.
  const ViewPoint centred = ScrollKeepingPoint({200, 100}, {100, 50}, {0, 0}, 1.0, 0.25, {400, 300}, {1000, 800});
  // 250 x 200 on screen, offset (75, 50): 300 x 0.25 + 75 - 200 and 150 x 0.25 + 50 - 100, rounded.
  EXPECT_EQ(centred, (ViewPoint{-50, -13}));
  EXPECT_DOUBLE_EQ(WheelZoom(1.0, 2), 2.25);
  EXPECT_DOUBLE_EQ(WheelZoom(1.0, -1), kZoomOutFactor);
  EXPECT_EQ(ScrollKeepingPoint({1, 1}, {7, 9}, {0, 0}, 0.0, 1.0, {10, 10}, {10, 10}), (ViewPoint{7, 9}));
}

// ---- drag and drop ---------------------------------------------------------------

TEST_F(DesktopWindowTest, DroppedProjectOpensAfterTheSaveChangesQuestion) {
  const std::string other = Demo("other");
  Start();
  host.OpenFile(WriteGreyImage("scene.bmp", 40, 30, 90));
  Choose(32786);
  ASSERT_TRUE(app->Document().IsModified());

  host.messageAnswers.push_back(MessageAnswer::Cancel);
  Drop(other);
  EXPECT_TRUE(dragAccepted);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Сохранить изменения в scene?");
  EXPECT_EQ(Ws().results.imageWidth, 40u) << "Cancel keeps the project";
  // The dropped file is not left waiting for the next open command.
  Choose(57601);
  EXPECT_EQ(host.openRequests.size(), 2u);

  host.messageAnswers.push_back(MessageAnswer::No);
  Drop(other);
  EXPECT_EQ(Ws().results.imageWidth, 480u);
  EXPECT_EQ(ShownTitle(), "other - [480x360 GREYSCALE] - Linea");
  EXPECT_EQ(host.openRequests.size(), 2u) << "a dropped file needs no file dialog";
}

TEST_F(DesktopWindowTest, DroppedImageIsOpenedAsTheKindTheUserChooses) {
  Start();
  const std::string image = WriteGreyImage("scene.BMP", 40, 30, 90);
  std::vector<std::string> asked;
  app->DropOpener().chooseImageCommand = [&](const std::string& path) -> std::optional<int> {
    asked.push_back(path);
    return std::nullopt;  // the user cancels the choice
  };
  Drop(image);
  EXPECT_TRUE(dragAccepted);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], image);
  EXPECT_EQ(Ws().layerStack.LayerCount(), 0);

  app->DropOpener().chooseImageCommand = [](const std::string&) -> std::optional<int> { return 32786; };
  Drop(image);
  EXPECT_EQ(Ws().results.imageWidth, 40u);
  EXPECT_EQ(Ws().imageType, 1);
  EXPECT_EQ(ShownTitle(), "scene - [40x30 GREYSCALE]* - Linea");
  EXPECT_TRUE(host.openRequests.empty());

  // A file that is neither a project nor an image is refused at the door.
  const std::string notes = folder.File("notes.txt");
  WriteTextFile(notes, "text");
  Drop(notes);
  EXPECT_FALSE(dragAccepted);
  EXPECT_EQ(Ws().results.imageWidth, 40u);
  EXPECT_EQ(ClassifyDroppedFile("a/b.Orw"), DroppedFileKind::Project);
  EXPECT_EQ(ClassifyDroppedFile("dem.tiff"), DroppedFileKind::Image);
  EXPECT_EQ(ClassifyDroppedFile("archive.tif.zip"), DroppedFileKind::None);
  EXPECT_EQ(ClassifyDroppedFile("noextension"), DroppedFileKind::None);
}

TEST(DropOpener, TheKindQuestionOffersTheFourOpenCommands) {
  // The real question: the user picks the second kind, then cancels a second asking.
  QStringList offered;
  QString label;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    offered = dialog->comboBoxItems();
    label = dialog->labelText();
    dialog->setTextValue(offered.value(1));
    dialog->accept();
  });
  EXPECT_EQ(AskImageOpenCommand(nullptr, "/data/relief.tif"), std::optional<int>(32776));
  EXPECT_EQ(offered, (QStringList{QStringLiteral("Открыть Полутоновое..."), QStringLiteral("Открыть ЦМР..."),
                                  QStringLiteral("Открыть Схему..."), QStringLiteral("Открыть растр для просмотра ...")}));
  EXPECT_EQ(label, QStringLiteral("Открыть relief.tif как:"));
  QTimer::singleShot(0, [] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) dialog->reject();
  });
  EXPECT_EQ(AskImageOpenCommand(nullptr, "/data/relief.tif"), std::nullopt);
}

// ---- Qt's own texts and the dialogs' widths ------------------------------------------

TEST(QtTranslations, StandardButtonsSpeakRussianWhileInstalled) {
  {
    CQtTranslations translations;
    ASSERT_TRUE(translations.Install()) << "qt6-translations-l10n is not installed";
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Да"));
  }
  QDialogButtonBox english(QDialogButtonBox::Cancel);
  EXPECT_EQ(english.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
  CQtTranslations missing;
  EXPECT_FALSE(missing.Install(QStringLiteral("ru"), QString::fromStdString(CTempFolder().Path())));
  EXPECT_FALSE(missing.IsInstalled());
}

TEST(DialogFitting, DialogsAreWidenedToTheirTitlesWhenShown) {
  CImageSizeDialog dialog(nullptr, {64, 64, 1});
  dialog.adjustSize();
  ASSERT_LT(dialog.width(), TitleBarWidth(dialog)) << "the form is already wider than its title";
  {
    CDialogFitter fitter;
    dialog.show();
    QCoreApplication::processEvents();
    EXPECT_GE(dialog.width(), TitleBarWidth(dialog));
    EXPECT_GE(dialog.minimumWidth(), TitleBarWidth(dialog));
    dialog.hide();
  }
  // The title bar needs more than the text: icon and buttons too.
  QFont bold = QApplication::font();
  bold.setBold(true);
  EXPECT_GT(TitleBarWidth(dialog), QFontMetrics(bold).horizontalAdvance(dialog.windowTitle()) + 100);

  CAboutDlg about(nullptr);
  FitDialogToTitle(about);
  EXPECT_GE(about.width(), TitleBarWidth(about));
  EXPECT_GE(about.width(), about.minimumSizeHint().width());
}

}  // namespace
}  // namespace linea
