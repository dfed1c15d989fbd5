"""Bad arrays are refused with a message naming the entry, before anything is written."""

import math

import numpy as np
import pytest

import kalvane


def good():
    return dict(nodes=[(0.0, 0.0, 0.0), (1.0, 0.0, 0.0), (1.0, 1.0, 0.0)], bars=[(1, 2), (2, 3)], areas=[0.01, 0.02],
                material=kalvane.neo_hooke(10.0),
                prescribed=[(1, 1, 0.0), (1, 2, 0.0), (1, 3, 0.0), (2, 3, 0.0), (3, 3, 0.0), (3, 1, 0.0)],
                loads=[(2, 1, 0.05), (3, 2, 0.01)])


def changed(**fields):
    arrays = good()
    arrays.update(fields)
    return arrays


BAD = [
    pytest.param(changed(bars=[(1, 2), (2, 0)]), r"bars\[1\] \(bar 2\): the second node 0 is outside 1\.\.3",
                 id="bar naming node 0"),
    pytest.param(changed(bars=[(1, 2), (2, 4)]), r"bars\[1\] \(bar 2\): the second node 4 is outside 1\.\.3",
                 id="bar naming a node beyond the count"),
    pytest.param(changed(nodes=[(0.0, 0.0, 0.0), (1.0, math.nan, 0.0), (1.0, 1.0, 0.0)]),
                 r"nodes\[1\] \(node 2\): the y coordinate is nan, not a finite number", id="NaN coordinate"),
    pytest.param(changed(loads=[(2, 1, 0.05), (3, 4, 0.01)]), r"loads\[1\] \(node 3\): the component 4 is outside 1\.\.3",
                 id="load component 4"),
    pytest.param(changed(prescribed=[(1, 1, 0.0), (4, 2, 0.0)]), r"prescribed\[1\]: the node number 4 is outside 1\.\.3",
                 id="prescribed node beyond the count"),
    pytest.param(changed(areas=[0.01]), r"areas has 1 entries for the 2 bars", id="fewer areas than bars"),
    pytest.param(changed(bars=[(1, 2.5)], areas=[0.01]), r"bars\[0\] \(bar 1\): the second node 2\.5 is not a whole",
                 id="bar node that is not a whole number"),
    pytest.param(changed(nodes=[(0.0, 0.0), (1.0, 0.0)]), r"nodes: a table of 3 real numbers a row is expected",
                 id="two coordinates a node"),
    pytest.param(changed(areas=[0.01, math.inf]), r"areas\[1\] \(bar 2\): the area is inf", id="infinite area"),
]


@pytest.mark.parametrize("arrays, message", BAD)
def test_a_bad_array_is_refused_naming_its_entry(arrays, message):
    with pytest.raises(kalvane.Error, match=message):
        kalvane.Model(**arrays)


def test_a_model_spoiled_after_it_was_built_is_refused_and_nothing_is_written(tmp_path):
    spoilers = [("bars", np.array([(1, 2), (0, 3)]), r"bars\[1\] \(bar 2\): the first node 0"),
                ("nodes", np.array([(0.0, 0.0, 0.0), (1.0, 0.0, math.nan), (1.0, 1.0, 0.0)]), r"node 2\): the z"),
                ("loads_at", np.array([(2, 1), (3, 4)]), r"loads\[1\] \(node 3\): the component 4"),
                ("prescribed_values", np.zeros(5), r"prescribed_values has 5 entries for the 6 rows")]
    for name, value, message in spoilers:
        model = kalvane.Model(**good())
        setattr(model, name, value)
        for act in (lambda: model.write(tmp_path / "input.txt"), lambda: kalvane.solve(model),
                    lambda: kalvane.solve_many([kalvane.Model(**good()), model])):
            with pytest.raises(kalvane.Error, match=message):
                act()
        assert list(tmp_path.iterdir()) == []
