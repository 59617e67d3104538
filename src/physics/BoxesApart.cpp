#include "physics/BoxesApart.h"

#include <cmath>

bool PhBoxesApart(const btBoxShape& a, const btTransform& ta, const btBoxShape& b, const btTransform& tb,
                  float gap)
{
    const btVector3 ha = a.getHalfExtentsWithMargin(), hb = b.getHalfExtentsWithMargin();
    const btMatrix3x3& ra = ta.getBasis();
    const btMatrix3x3& rb = tb.getBasis();
    const btVector3 axes[6] = {ra.getColumn(0), ra.getColumn(1), ra.getColumn(2),
                               rb.getColumn(0), rb.getColumn(1), rb.getColumn(2)};
    const btVector3 d = tb.getOrigin() - ta.getOrigin();
    for (const btVector3& l : axes) {
        // Along l, scaled by its length: the distance between the centres
        // less how far each box reaches.
        float reach = 0.0f;
        for (int k = 0; k < 3; ++k)
            reach += ha[k] * std::fabs(l.dot(axes[k])) + hb[k] * std::fabs(l.dot(axes[3 + k]));
        const float apart = std::fabs(l.dot(d)) - reach;
        if (apart > 0.0f && apart * apart > gap * gap * l.length2())
            return true;
    }
    return false;
}
