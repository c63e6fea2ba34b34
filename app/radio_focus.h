#pragma once
// Tab into a group of radio buttons lands on the checked one, as the arrow
// keys then move within the group.

class QButtonGroup;

void focusCheckedOnTab(QButtonGroup* group);
