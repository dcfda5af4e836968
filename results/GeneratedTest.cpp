#include "results/GeneratedTest.h"

#include "core/TestIdentity.h"

QString GeneratedTest::identity() const {
    return testIdentity({name, stem, keys, optionCount, netRule});
}
