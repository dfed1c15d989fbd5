"""kalvane-view's ParaView files read by the field's own readers: VTK's XML reader and
meshio. Each example is run by kalvane, then drawn; every array is checked against the
report (to its printed digits) and the input (to the bit)."""

import os
import pathlib
import shutil
import subprocess
import xml.etree.ElementTree as ET

import meshio
import numpy as np
import pytest
import vtk
from vtk.util.numpy_support import vtk_to_numpy

import kalvane
from conftest import PROGRAM, SOURCE, printed_as, read_report

VIEW = os.environ.get("KALVANE_VIEW_EXE", str(SOURCE / "build" / "kalvane-view"))
PATH = os.environ.get("KALVANE_PATH_EXE", str(SOURCE / "build" / "kalvane-path"))
POINT_ARRAYS = {"displacement", "reaction"}
CELL_ARRAYS = {"stress", "axial_force", "area", "stretch"}


def run(command, folder):
    done = subprocess.run(command, cwd=folder, capture_output=True, text=True)
    assert done.returncode in (0, 3), done.stderr
    return done.stdout


def solved(example, folder):
    """The example run by kalvane and drawn by kalvane-view in `folder`."""
    shutil.copyfile(SOURCE / "examples" / example / "input.txt", folder / "input.txt")
    run([PROGRAM], folder)
    assert "wrote ./kalvane.vtu" in run([VIEW, "--vtk-only"], folder)
    return folder


def read_with_vtk(path):
    reader = vtk.vtkXMLUnstructuredGridReader()
    reader.SetFileName(str(path))
    reader.Update()
    assert reader.GetErrorCode() == 0
    grid = reader.GetOutput()
    arrays = lambda data: {data.GetArrayName(i): vtk_to_numpy(data.GetArray(i)) for i in range(data.GetNumberOfArrays())}
    assert (vtk_to_numpy(grid.GetCellTypesArray()) == vtk.VTK_LINE).all()
    assert (vtk_to_numpy(grid.GetCells().GetOffsetsArray()) == 2 * np.arange(grid.GetNumberOfCells() + 1)).all()
    return {"points": vtk_to_numpy(grid.GetPoints().GetData()),
            "lines": vtk_to_numpy(grid.GetCells().GetConnectivityArray()).reshape(-1, 2),
            "point": arrays(grid.GetPointData()), "cell": arrays(grid.GetCellData()),
            "field": arrays(grid.GetFieldData()),
            "active": (grid.GetPointData().GetVectors().GetName(), grid.GetCellData().GetScalars().GetName())}


def read_with_meshio(path):
    mesh = meshio.read(path)
    assert [block.type for block in mesh.cells] == ["line"]
    return {"points": mesh.points, "lines": mesh.cells[0].data, "point": mesh.point_data,
            "cell": {name: values[0] for name, values in mesh.cell_data.items()}, "field": mesh.field_data}


def check_against_run(grid, folder):
    """Counts, names and values of one reader's view of kalvane.vtu against the run's files."""
    model = kalvane.read(folder)
    report = read_report((folder / "output.txt").read_text())
    nodes, bars = len(report["displacements"]), len(report["stresses"])
    assert grid["points"].shape == (nodes, 3) and grid["lines"].shape == (bars, 2)
    assert set(grid["point"]) == POINT_ARRAYS and set(grid["cell"]) == CELL_ARRAYS

    # Bar ends and areas are the input's; the points are the input's positions moved by the
    # displacements the file holds, which are the report's.
    assert (grid["lines"] + 1 == np.asarray(model.bars)).all()
    assert (grid["cell"]["area"] == np.asarray(model.areas)).all()
    displacement = grid["point"]["displacement"]
    assert (grid["points"] == np.asarray(model.nodes) + displacement).all()
    for row, printed in zip(displacement, report["displacements"]):
        assert all(printed_as(v, p) for v, p in zip(row, printed)), (row, printed)
    stress = grid["cell"]["stress"]
    assert all(printed_as(v, p) for v, p in zip(stress, report["stresses"]))

    # Reactions at the held components, as printed, and nothing elsewhere.
    reaction = grid["point"]["reaction"]
    for node in range(1, nodes + 1):
        printed = report["reactions"].get(node, {})
        for c in (1, 2, 3):
            assert printed_as(reaction[node - 1, c - 1], printed[c]) if c in printed else reaction[node - 1, c - 1] == 0

    # The stretch from the bar's ends, and the force it carries: true stress on the current
    # section of an incompressible bar.
    initial = np.asarray(model.nodes)
    ends = np.asarray(model.bars) - 1
    length0 = np.linalg.norm(initial[ends[:, 1]] - initial[ends[:, 0]], axis=1)
    length = np.linalg.norm(grid["points"][ends[:, 1]] - grid["points"][ends[:, 0]], axis=1)
    stretch = grid["cell"]["stretch"]
    assert stretch == pytest.approx(length / length0, rel=1e-12)
    assert grid["cell"]["axial_force"] == pytest.approx(stress * grid["cell"]["area"] / stretch, rel=1e-15)
    return nodes, bars


@pytest.mark.parametrize("example", ["space_truss", "cable_net"])
def test_vtk_and_meshio_read_the_run(example, tmp_path):
    folder = solved(example, tmp_path)
    assert not (folder / "kalvane.pvd").exists() and not (folder / "kalvane.vtk").exists()
    by_vtk, by_meshio = read_with_vtk(folder / "kalvane.vtu"), read_with_meshio(folder / "kalvane.vtu")
    assert by_vtk["active"] == ("displacement", "stress")
    counts = check_against_run(by_vtk, folder)
    assert check_against_run(by_meshio, folder) == counts
    # Both readers hold the same bits.
    for kind in ("point", "cell"):
        for name, values in by_vtk[kind].items():
            assert np.array_equal(values, by_meshio[kind][name]), name


def test_a_result_that_is_not_a_number_reads_as_one(tmp_path):
    """A degenerate run's NaN and infinities travel to both readers as they are."""
    folder = solved("space_truss", tmp_path)
    report = (folder / "output.txt").read_text().splitlines(keepends=True)
    stresses = next(i for i, line in enumerate(report) if line.startswith(" Elem")) + 2
    report[stresses] = report[stresses][:10] + "NaN**********\n"
    report[stresses + 1] = report[stresses + 1][:10] + "-Inf*********\n"
    (folder / "output.txt").write_text("".join(report))
    run([VIEW, "--vtk-only"], folder)
    for grid in (read_with_vtk(folder / "kalvane.vtu"), read_with_meshio(folder / "kalvane.vtu")):
        stress, force = grid["cell"]["stress"], grid["cell"]["axial_force"]
        assert np.isnan(stress[0]) and np.isnan(force[0])
        assert stress[1] == -np.inf and force[1] == -np.inf
        assert np.isfinite(stress[2:]).all()


def test_the_title_does_not_disturb_the_readers(tmp_path):
    """The title is the user's: markup, a comment's end and the data's own tag in it change nothing."""
    text = (SOURCE / "examples" / "space_truss" / "input.txt").read_text().splitlines(keepends=True)
    text[0] = 'Truss -- <AppendedData encoding="raw">_ --> & "q" </AppendedData></VTKFile>\n'
    (tmp_path / "input.txt").write_text("".join(text))
    run([PROGRAM], tmp_path)
    run([VIEW, "--vtk-only"], tmp_path)
    check_against_run(read_with_vtk(tmp_path / "kalvane.vtu"), tmp_path)
    check_against_run(read_with_meshio(tmp_path / "kalvane.vtu"), tmp_path)


def path_rows(folder):
    return [row.split(",") for row in (folder / "path.csv").read_text().splitlines()[1:]]


@pytest.mark.parametrize("loading", ["staged", "together"])
def test_the_path_folder_gives_a_series_of_its_states(loading, tmp_path):
    """kalvane-path's folder: the .pvd names a .vtu per state of path.states, in the path's
    order, at times that rise: the load factors where they rise (loading together), else the
    states' rows; both readers read every state with its own load factor, and the last state
    is the report's."""
    shutil.copyfile(SOURCE / "examples" / "cable_net" / "input.txt", tmp_path / "input.txt")
    run([PATH, "--loading", loading], tmp_path)
    folder = tmp_path / "path"
    out = run([VIEW, "--vtk-only", "--dir", str(folder)], tmp_path)
    assert f"wrote {folder}/kalvane.pvd" in out
    root = ET.parse(folder / "kalvane.pvd").getroot()
    assert root.get("type") == "Collection"
    sets = root.findall("./Collection/DataSet")
    states = int.from_bytes((folder / "path.states").read_bytes()[20:24], "little")
    rows = path_rows(folder)
    assert len(sets) == states == len(rows)  # a small model keeps every point
    times = [float(s.get("timestep")) for s in sets]
    assert all(a < b for a, b in zip(times, times[1:]))
    for entry, time in zip(sets, times):
        state = folder / entry.get("file")
        for grid in (read_with_vtk(state), read_with_meshio(state)):
            row = int(np.ravel(grid["field"]["row"])[0])
            load_factor = float(np.ravel(grid["field"]["load_factor"])[0])
            assert load_factor == float(rows[row][1])
            assert time == (load_factor if loading == "together" else row)
            assert set(grid["cell"]) == {"stress", "axial_force", "area", "state"}
    # The last state is the report's, to every printed digit; the first is unmoved.
    first, last = read_with_meshio(folder / sets[0].get("file")), read_with_meshio(folder / sets[-1].get("file"))
    assert not first["point"]["displacement"].any()
    report = read_report((folder / "output.txt").read_text())
    for row, printed in zip(last["point"]["displacement"], report["displacements"]):
        assert all(printed_as(v, p) for v, p in zip(row, printed)), (row, printed)
    assert all(printed_as(v, p) for v, p in zip(last["cell"]["stress"], report["stresses"]))
