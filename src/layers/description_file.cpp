#include "layers/description_file.h"

#include "base/atomic_file.h"
#include "base/paths.h"
#include "layers/layer_stack.h"

namespace linea {

std::string DescriptionPath(const std::string& path) { return WithoutExtension(path) + ".txo"; }

bool WriteDescription(const CLayerStack& stack, const std::string& path) {
  std::string text;
  for (const CLayer* layer : stack.CollectVisible()) text += layer->GetDescription() + "\n";
  return WriteFileAtomically(DescriptionPath(path), text) == 0;
}

}  // namespace linea
