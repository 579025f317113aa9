#include "support/test_host.h"

#include <gtest/gtest.h>

namespace linea {

void CTestHost::ShowMessage(const std::string& caption, const std::string& text, MessageIcon icon) {
  messages.push_back({caption, text, icon, false});
}

bool CTestHost::AskYesNo(const std::string& caption, const std::string& text, MessageIcon icon) {
  messages.push_back({caption, text, icon, true});
  if (yesNoAnswers.empty()) return false;
  bool answer = yesNoAnswers.front();
  yesNoAnswers.pop_front();
  return answer;
}

std::optional<std::string> CTestHost::AskLayerName(const std::string& proposed) {
  if (layerNameAnswers.empty()) return std::nullopt;
  auto answer = layerNameAnswers.front();
  layerNameAnswers.pop_front();
  return answer;
}

ImageSizeAnswer CTestHost::AskImageSize(const ImageSizeAnswer& proposal) {
  imageSizeProposals.push_back(proposal);
  if (imageSizeAnswers.empty()) return proposal;
  ImageSizeAnswer answer = imageSizeAnswers.front();
  imageSizeAnswers.pop_front();
  return answer;
}

void CTestHost::BeginProgress(const std::string& title, int range) { progressTitles.push_back(title); }

bool CTestHost::SetProgress(int position) {
  progressPositions.push_back(position);
  return !(cancelAtProgress && position >= *cancelAtProgress);
}

std::string CTestHost::OnlyMessageText() const {
  EXPECT_EQ(messages.size(), 1u);
  return messages.size() == 1 ? messages.front().text : std::string();
}

}  // namespace linea
