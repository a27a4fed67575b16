// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/PageModel.h"

void ResetPaging(TPicList& list)
{
    list.NextIndex = 0;
    list.Shown = 0;
    list.Current = 0;
}

MoveOutcome ApplyMove(TPicList& list, PageMove move, int32_t n)
{
    switch (move) {
    case PageMove::First: ResetPaging(list); return MoveOutcome::LoadPage;
    case PageMove::Previous:
        if (list.NextIndex <= n)
            return MoveOutcome::Beep;
        if (list.NextIndex > 2 * n - 2) {
            const int32_t first = list.NextIndex - n - list.Shown;
            list.NextIndex = first < 0 ? 0 : first;
        } else {
            list.NextIndex = 0;
        }
        return MoveOutcome::LoadPage;
    case PageMove::Next:
        if (list.NextIndex >= list.Total)
            return MoveOutcome::Beep;
        return MoveOutcome::LoadPage; // the page continues where the last one ended
    case PageMove::Last:
        if (n >= list.Total)
            return MoveOutcome::Nothing;
        list.NextIndex = list.Total - n;
        return MoveOutcome::LoadPage;
    }
    return MoveOutcome::Nothing;
}

NavigatorState NavigatorAfterLoad(const TPicList& list, int32_t n)
{
    return {list.NextIndex != list.Total, list.NextIndex > n};
}

int32_t PageSizeForItem(int item)
{
    static const int32_t sizes[] = {1, 4, 9, 16, 25};
    return item >= 0 && item < 5 ? sizes[item] : 9;
}
