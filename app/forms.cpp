#include "forms.h"

Forms &forms()
{
    static Forms f;
    return f;
}
