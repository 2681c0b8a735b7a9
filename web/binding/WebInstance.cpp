#include "web/binding/WebInstance.h"

std::unique_ptr<Brisbleep>& WebInstrument()
{
    static std::unique_ptr<Brisbleep> instrument;
    return instrument;
}
