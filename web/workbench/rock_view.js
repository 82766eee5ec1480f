// The 3D view of the rock: the served GLB in a three.js scene with orbit and
// zoom, a wireframe switch, and the camera framed on the first rock shown.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';
import { GLTFLoader } from 'three/addons/loaders/GLTFLoader.js';

export class RockView {
  constructor(container) {
    this.container = container;
    this.renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
    this.renderer.setPixelRatio(window.devicePixelRatio);
    this.renderer.setClearColor(0x17181a);
    container.append(this.renderer.domElement);
    this.scene = new THREE.Scene();
    this.camera = new THREE.PerspectiveCamera(40, 1, 0.01, 1000);
    this.camera.position.set(3, 2, 4);
    this.scene.add(new THREE.HemisphereLight(0xdde6ff, 0x30281f, 1.2));
    const key = new THREE.DirectionalLight(0xffffff, 2.2);
    key.position.set(-3, 5, 4);
    this.scene.add(key);
    this.grid = new THREE.GridHelper(10, 20, 0x44484e, 0x2c2f33);
    this.scene.add(this.grid);
    this.controls = new OrbitControls(this.camera, this.renderer.domElement);
    this.controls.addEventListener('change', () => this.render());
    this.loader = new GLTFLoader();
    this.wireframe = false;
    this.rock = null;
    this.framed = false;
    new ResizeObserver(() => this.resize()).observe(container);
    this.resize();
  }

  resize() {
    const { clientWidth: w, clientHeight: h } = this.container;
    if (!w || !h) return;
    this.renderer.setSize(w, h, false);
    this.camera.aspect = w / h;
    this.camera.updateProjectionMatrix();
    this.render();
  }

  render() { this.renderer.render(this.scene, this.camera); }

  setWireframe(on) {
    this.wireframe = on;
    this.rock?.traverse((o) => { if (o.isMesh) o.material.wireframe = on; });
    this.render();
  }

  // Replaces the rock by the one at url (metres, Y up, as glTF is).
  async show(url) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(`the rock did not load (${response.status})`);
    const gltf = await this.loader.parseAsync(await response.arrayBuffer(), '');
    if (this.rock) {
      this.scene.remove(this.rock);
      this.rock.traverse((o) => { if (o.isMesh) { o.geometry.dispose(); o.material.map?.dispose(); o.material.dispose(); } });
    }
    this.rock = gltf.scene;
    this.scene.add(this.rock);
    this.setWireframe(this.wireframe);
    const box = new THREE.Box3().setFromObject(this.rock);
    this.grid.position.y = box.min.y;
    if (!this.framed) {
      const sphere = box.getBoundingSphere(new THREE.Sphere());
      this.controls.target.copy(sphere.center);
      this.camera.position.copy(sphere.center).add(new THREE.Vector3(1.2, 0.8, 1.6).multiplyScalar(sphere.radius * 1.6));
      this.controls.update();
      this.framed = true;
    }
    this.render();
  }
}
