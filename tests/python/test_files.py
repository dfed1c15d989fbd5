"""The module's runs against the program's: the same three files byte for byte, the arrays
equal to what the report prints, and models built from arrays equal to models read from
the input.txt they write."""

import numpy as np
import pytest

import kalvane
from conftest import (EXAMPLES, conformance_case, files_in, printed_as, read_report, run_program, same_bits)

# Conformance inputs in forms the examples do not use: based and exponent integers, every
# real form, repeated lines, a zero tolerance, Mooney-Rivlin with c2 = 0, remarks, CR LF.
CONFORMANCE_CASES = ["002-real-von_mises-2", "008-real-lattice_dome-48", "011-real-hypar_net-49",
                     "045-fmt-geodesic_dome-based_ints", "047-fmt-tower-real_forms", "049-fmt-geodesic_dome-crlf",
                     "051-fmt-tower-duplicates", "069-quirk-tolerance_zero", "079-quirk-mooney_c2_zero"]


def inputs():
    yield from (pytest.param(folder / "input.txt", id=folder.name) for folder in EXAMPLES)
    yield from (pytest.param(name, id=name) for name in CONFORMANCE_CASES)


def input_path(case):
    return conformance_case(case) if isinstance(case, str) else case


@pytest.mark.parametrize("case", inputs())
def test_same_bytes_and_printed_values_as_the_program(case, tmp_path):
    path = input_path(case)
    expected = run_program(path, tmp_path / "program")
    result = kalvane.solve(kalvane.read(path), method="lbfgs")
    result.write(tmp_path / "module")
    assert files_in(tmp_path / "module") == expected

    report = read_report(expected["output.txt"].decode())
    assert result.iterations == report["iterations"]
    assert printed_as(result.objective, report["objective"])
    assert printed_as(result.allowable_gradient, report["allowable"])
    assert all(printed_as(v, p) for v, p in zip(result.displacements.ravel(), np.ravel(report["displacements"])))
    assert len(report["displacements"]) == len(result.displacements)
    assert all(printed_as(v, p) for v, p in zip(result.stresses, report["stresses"]))
    assert len(report["stresses"]) == len(result.stresses)
    # Every printed reaction is in the array; the array also holds the small ones the
    # report leaves out, at every prescribed component.
    for node, row in report["reactions"].items():
        for component, printed in row.items():
            assert result.prescribed[node - 1, component - 1]
            assert printed_as(result.reactions[node - 1, component - 1], printed)
    for node, component in zip(*np.nonzero(result.prescribed)):
        if component + 1 not in report["reactions"].get(node + 1, {}):
            assert abs(result.reactions[node, component]) <= result.allowable_gradient
    assert (result.reactions[~result.prescribed] == 0.0).all()


@pytest.mark.parametrize("case", inputs())
def test_written_input_reads_back_to_the_same_model_and_run(case, tmp_path):
    path = input_path(case)
    model = kalvane.read(path)
    model.write(tmp_path)
    again = kalvane.read(tmp_path / "input.txt")
    for name in ("nodes", "areas", "prescribed_values", "load_values"):
        assert same_bits(getattr(model, name), getattr(again, name)), name
    for name in ("bars", "prescribed_at", "loads_at"):
        assert np.array_equal(getattr(model, name), getattr(again, name)), name
    assert (model.material, model.settings) == (again.material, again.settings)
    # The program reads the written file as the same model: the same three files.
    assert run_program(tmp_path / "input.txt", tmp_path / "program") == run_program(path, tmp_path / "original")


def awkward_reals(count):
    """Doubles the reader's two roundings get wrong from their shortest decimal text, and the
    ends of the range."""
    rng = np.random.default_rng(23)
    bits = rng.integers(0, 2 ** 63 - 2 ** 52, size=count, dtype=np.int64)  # every finite exponent
    values = bits.view(np.float64) * np.where(rng.random(count) < 0.5, -1.0, 1.0)
    special = [0.0, -0.0, 5e-324, -5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, 0.1, 1 / 3, 1e23,
               9007199254740993.0, 123456789.12345678]
    return np.concatenate([special, values])


def test_every_real_is_written_so_that_it_reads_back_to_its_bits(tmp_path):
    values = awkward_reals(3000)
    nodes = values.reshape(-1, 1) * np.ones((1, 3))
    # The bar joins nodes apart (1 and 2 are at 0.0 and -0.0), as a model read must start;
    # the reader names its one material "material".
    model = kalvane.Model(nodes, [(1, 8)], [values[7]], kalvane.neo_hooke(values[8], name="material"),
                          prescribed=[(1, 1, values[9])], loads=[(2, 3, values[10])],
                          settings=kalvane.Settings(sigma=0.9, tolerance=values[6], reference=values[3]))
    model.write(tmp_path / "input.txt")
    again = kalvane.read(tmp_path / "input.txt")
    assert same_bits(again.nodes, model.nodes)
    assert same_bits(again.prescribed_values, model.prescribed_values)
    assert same_bits(again.load_values, model.load_values)
    assert (again.settings, again.material) == (model.settings, model.material)


def test_a_model_from_arrays_solves_as_the_same_model_read_from_its_file(tmp_path):
    model = kalvane.Model(
        nodes=[(0.0, 0.0, 0.0), (1.1, 0.1, -0.3), (2.3, 0.0, 0.0), (1.2, 1.7, 0.1)],
        bars=[(1, 2), (2, 3), (1, 4), (3, 4), (2, 4)], areas=[0.011, 0.012, 0.013, 0.014, 0.1 / 3],
        material=kalvane.mooney_rivlin(300.0 / 7, 11.0 / 3),
        prescribed=[(1, c, 0.0) for c in (1, 2, 3)] + [(3, 2, 0.0), (3, 3, 0.01 / 3), (4, 3, 0.0)],
        loads=[(2, 3, -0.7), (2, 1, 0.1 / 7), (4, 2, 0.3)],
        settings=kalvane.Settings(tolerance=1e-9))
    model.write(tmp_path)
    from_arrays, from_file = kalvane.solve(model, method="lbfgs"), kalvane.solve(kalvane.read(tmp_path), method="lbfgs")
    for name in ("displacements", "reactions", "residuals", "stresses", "axial_forces", "stretches"):
        assert same_bits(getattr(from_arrays, name), getattr(from_file, name)), name
    assert (from_arrays.iterations, from_arrays.objective) == (from_file.iterations, from_file.objective)
    from_arrays.write(tmp_path / "module")
    assert files_in(tmp_path / "module") == run_program(tmp_path / "input.txt", tmp_path / "program")


def test_tables_at_full_precision(tmp_path):
    model = kalvane.read(EXAMPLES[0] / "input.txt")
    result = kalvane.solve(model, method="lbfgs")
    import csv
    import json
    document = json.loads(result.to_json())
    assert same_bits([n["displacement"] for n in document["nodes"]], result.displacements)
    assert same_bits([b["axial_force"] for b in document["bars"]], result.axial_forces)
    result.to_csv(tmp_path)
    with open(tmp_path / "nodes.csv") as f:
        rows = list(csv.DictReader(f))
    assert same_bits([[float(r[c]) for c in ("ux", "uy", "uz")] for r in rows], result.displacements)
    for row, prescribed in zip(rows, result.prescribed):
        assert [row[c] != "" for c in ("rx", "ry", "rz")] == list(prescribed)
    with open(tmp_path / "bars.csv") as f:
        assert same_bits([float(r["stress"]) for r in csv.DictReader(f)], result.stresses)
