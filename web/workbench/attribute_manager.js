// Draws a node's attribute manager from the server's description of it:
// groups nested as the description nests them, and one control per
// parameter of the kind, limits and enabling the description gives. Nothing
// here knows a parameter of its own; every change goes to `actions`.

function make(tag, attributes = {}, ...children) {
  const element = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (name === 'class') element.className = value;
    else if (name === 'text') element.textContent = value;
    else element.setAttribute(name, value);
  }
  element.append(...children);
  return element;
}

const finite = (value) => typeof value === 'number' && Number.isFinite(value);

// The range a slider covers: the slider range, else the limits.
function sliderRange(e) {
  const low = finite(e.sliderMin) ? e.sliderMin : e.min;
  const high = finite(e.sliderMax) ? e.sliderMax : e.max;
  return finite(low) && finite(high) && high > low ? [low, high] : null;
}

function numberInput(e, value, onCommit) {
  const input = make('input', { type: 'number', step: e.type === 'long' ? '1' : 'any' });
  if (finite(e.min)) input.min = e.min;
  if (finite(e.max)) input.max = e.max;
  input.value = value;
  input.addEventListener('change', () => onCommit(Number(input.value)));
  return input;
}

function numberControl(e, node, actions) {
  const box = make('span', { class: 'value' });
  const range = sliderRange(e);
  const number = numberInput(e, e.value, (v) => actions.set(node, e.id, v, true));
  if (range) {
    const slider = make('input', { type: 'range', min: range[0], max: range[1],
      step: e.type === 'long' ? 1 : (range[1] - range[0]) / 500 });
    slider.value = e.value;
    // While dragging, quick builds; the full build when the slider is let go.
    slider.addEventListener('input', () => {
      number.value = slider.value;
      actions.set(node, e.id, Number(slider.value), false);
    });
    slider.addEventListener('change', () => actions.set(node, e.id, Number(slider.value), true));
    box.append(slider);
  }
  box.append(number, make('span', { class: 'unit', text: e.unit }));
  return box;
}

function control(e, node, actions) {
  switch (e.control) {
    case 'number':
      return numberControl(e, node, actions);
    case 'switch': {
      const box = make('input', { type: 'checkbox' });
      box.checked = e.value === true;
      box.addEventListener('change', () => actions.set(node, e.id, box.checked, true));
      return box;
    }
    case 'choice': {
      const select = make('select');
      for (const choice of e.choices)
        select.append(make('option', { value: choice.value, text: choice.label }));
      select.value = e.value;
      select.addEventListener('change', () => actions.set(node, e.id, Number(select.value), true));
      return select;
    }
    case 'vector': {
      const box = make('span', { class: 'value vector' });
      const inputs = e.value.map((v) => numberInput(e, v, () =>
        actions.set(node, e.id, inputs.map((input) => Number(input.value)), true)));
      box.append(...inputs, make('span', { class: 'unit', text: e.unit }));
      return box;
    }
    default:
      return make('span', { class: 'readonly', text: e.text });
  }
}

function parameterRow(e, node, actions) {
  const row = make('div', { class: 'param' + (e.enabled ? '' : ' disabled'), 'data-id': e.id,
    'data-ident': e.ident, title: (e.ident ? e.ident + ' ' : '') + '(' + e.id + ')' },
    make('label', { text: e.label }), control(e, node, actions));
  if (!e.enabled)
    for (const input of row.querySelectorAll('input, select')) input.disabled = true;
  return row;
}

function groupBox(group, node, actions) {
  const box = make('fieldset', { 'data-group': group.id ?? 'top' }, make('legend', { text: group.label }));
  const buttons = make('div', { class: 'buttons' });
  for (const e of group.elements) {
    if (e.control === 'spacer') continue;
    if (e.control === 'button') {
      const button = make('button', { 'data-id': e.id, 'data-ident': e.ident, text: e.label });
      button.disabled = !e.enabled;
      button.addEventListener('click', () => actions.press(node, e.id));
      buttons.append(button);
    } else {
      box.append(parameterRow(e, node, actions));
    }
  }
  if (buttons.childElementCount) box.append(buttons);
  return box;
}

// Replaces container's content with the attribute manager of view.
export function renderManager(container, view, node, actions) {
  const boxes = new Map();
  const top = [];
  for (const group of view.groups) {
    const box = groupBox(group, node, actions);
    boxes.set(group.id, box);
    const parent = group.parent !== null ? boxes.get(group.parent) : undefined;
    if (parent) parent.append(box); else top.push(box);
  }
  container.replaceChildren(make('h2', { text: view.title }), ...top);
}
