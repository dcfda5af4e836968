#include "Tanaekr.h"

void Tanaekr::sayfabClick() {}
void Tanaekr::sayfaindf() {}
void Tanaekr::sayfasorf() {}
void Tanaekr::sayfacevf() {}
void Tanaekr::sayfasonf() {}
void Tanaekr::sayfaxmlf() {}
