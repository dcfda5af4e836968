#include "Tanaekr.h"

void Tanaekr::sorusayeExit() {}
void Tanaekr::renkkaydet() {}
