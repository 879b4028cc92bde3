#include "app/Unit2.h"

void TForm2::setupSearch() {}
