#include "catalog/CatalogNibs.h"

#include "catalog/ColumnPickerController.h"

namespace zu {

void CatalogNibs::registerNibs() { ColumnPickerController::registerNibs(); }

}  // namespace zu
