#include "catalog/CatalogNibs.h"

#include "catalog/centre/ColumnPickerController.h"

namespace zu {

void CatalogNibs::registerNibs() { ColumnPickerController::registerNibs(); }

}  // namespace zu
