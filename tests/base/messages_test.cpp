#include <gtest/gtest.h>

#include "base/messages.h"
#include "base/string_table.h"
#include "support/test_host.h"

namespace linea {
namespace {

TEST(StringTable, KnownIdsGiveTheirTextsAndUnknownIdsGiveNothing) {
  EXPECT_EQ(LoadText(32817), "Исходное");
  EXPECT_EQ(LoadText(130), "Розы %d");
  EXPECT_EQ(LoadText(1100), "3.1");
  EXPECT_EQ(LoadText(61444), "\"Данные курсора\"");
  EXPECT_EQ(LoadText(32846),
            "Проделано %d итераций. Возможно ли сделать еще %d итераций? \n Если НЕТ то несколько точек будут "
            "непросчитаны.\n");
  EXPECT_EQ(LoadText(32891), "Палитра\tCtrl+F");
  EXPECT_EQ(LoadText(0), "");
  EXPECT_EQ(LoadText(99999), "");
  EXPECT_EQ(LoadText(-1), "");
}

// Every row of the code-to-message table, as the user reads it.
TEST(ShowErrorCode, ShowsTheMessageOfEveryCodeInTheTable) {
  const std::pair<int, const char*> rows[] = {
      {1, "Непредусмотренная ошибка."},
      {2, "Непредусмотренная ошибка."},
      {3, "Не хватает памяти."},
      {4, "Не удается открыть файл."},
      {5, "Непредусмотренная ошибка."},
      {6, "Не удается записать файл."},
      {7, "Непредусмотренная ошибка."},
      {8, "Не хватает памяти для расчета линеаментов. Вы можете уменьшить точность расчетов и повторить расчет."},
      {10, "Непредусмотренная ошибка."},
      {11, "Расчет остановлен."},
      {12, "Массив Роз пуст."},
      {13, "Массив Штрихов пуст."},
      {14, "Не заданы Блоки."},
      {15, "Неправильный параметр Направление."},
      {17, "Массив данных пуст."},
      {9, "Непредусмотренная ошибка."},
      {99, "Непредусмотренная ошибка."},
      {-5, "Непредусмотренная ошибка."},
  };
  for (const auto& [code, text] : rows) {
    CTestHost host;
    ShowErrorCode(host, code);
    ASSERT_EQ(host.messages.size(), 1u) << code;
    EXPECT_EQ(host.messages[0].text, text) << "code " << code;
    EXPECT_EQ(host.messages[0].caption, "Linea");
    EXPECT_FALSE(host.messages[0].question);
  }
}

TEST(ShowError, JoinsTheMainTextAndTheDetailWithOneBlank) {
  CTestHost host;
  ShowError(host, 32838, 32806);
  EXPECT_EQ(host.OnlyMessageText(),
            "Не удается загрузить проект. Параметры изображения указанного проекта не соответствуют параметрам "
            "уже выбранных проектов.");
}

TEST(ShowError, WithoutTextShowsTheDefaultAndWithoutDetailAddsNoBlank) {
  CTestHost host;
  ShowError(host, std::string(), std::string());
  ShowError(host, std::string(), "деталь");
  ShowError(host, "Текст", std::string());
  ASSERT_EQ(host.messages.size(), 3u);
  EXPECT_EQ(host.messages[0].text, "Не удается выполнить операцию.");
  EXPECT_EQ(host.messages[1].text, "Не удается выполнить операцию. деталь");
  EXPECT_EQ(host.messages[2].text, "Текст");
}

TEST(AskContinue, AsksWithTheQuestionLineAndTheLineaCaption) {
  CTestHost host;
  host.yesNoAnswers = {true, false};
  EXPECT_TRUE(AskContinue(host, "Вопрос"));
  EXPECT_FALSE(AskContinue(host, "Вопрос"));
  ASSERT_EQ(host.messages.size(), 2u);
  EXPECT_EQ(host.messages[0].text, "Вопрос\nХотите продолжить?");
  EXPECT_EQ(host.messages[0].caption, "Linea");
  EXPECT_EQ(host.messages[0].icon, MessageIcon::Question);
  EXPECT_TRUE(host.messages[0].question);
}

TEST(AskContinue, AnswersNoUnseenWithoutAMainFrame) {
  CTestHost host;
  host.hasMainFrame = false;
  host.yesNoAnswers = {true};
  EXPECT_FALSE(AskContinue(host, "Вопрос"));
  EXPECT_TRUE(host.messages.empty());
}

TEST(ValidationMessages, FillTheirFormatsByteForByte) {
  EXPECT_EQ(RangeMessage("Linear", 0, 100), "Значение параметра Linear должно быть от 0 до 100.");
  EXPECT_EQ(LowerBoundMessage("Rose Window", 8), "Значение параметра Rose Window должно быть больше или равно 8.");
  EXPECT_EQ(LessThanMessage("From", "To"), "Значение параметра From должно быть меньше значения параметра To.");
  EXPECT_EQ(OddRangeMessage("Contrast", 3, 15),
            "Значение параметра Contrast должно быть  нечетным числом от 3 до 15.");
  EXPECT_EQ(AutoCorrectMessage("Rose Window", "64"),
            "Параметр Rose Window будет автоматически изменен на ближайшее корректное значение (64).");
}

TEST(FormatText, HandlesTextsLongerThanAnyFixedBuffer) {
  std::string longName(5000, 'x');
  std::string text = FormatText("%s-%d", longName.c_str(), 7);
  EXPECT_EQ(text.size(), 5002u);
  EXPECT_EQ(text.substr(4998), "xx-7");
}

}  // namespace
}  // namespace linea
