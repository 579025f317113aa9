#pragma once
// String ids of the layer names that the program creates and looks up by name.

namespace linea {

enum LayerNameId : int {
  kBaseLayerName = 32817,        // "Исходное"
  kStripesLayerName = 32818,     // "Штрихи"
  kGlobalRoseLayerName = 32819,  // "Глобальная Роза"
  kBlockRosesLayerName = 32820,  // "Розы По Блокам"
  kHighlightLayerName = 32822,   // "Подсвеченное"
  kBlocksLayerName = 32837,      // "Блоки"
  kMaskLayerName = 162,          // "Маска"
};

}  // namespace linea
